#include "files/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

bool IsRegularFile(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// Opened without waiting (a pipe without a partner would block the open); read and written
// with waiting, as any file.
bool MakeBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

}  // namespace

int OpenRegularFileForReading(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  if (!IsRegularFile(fd) || !MakeBlocking(fd)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int OpenRegularFileForAppending(const std::filesystem::path& file, bool* notRegular, bool empty) {
  *notRegular = false;
  // Write-only first: a pipe without a reader then cannot be opened at all, and nothing is
  // emptied before the file is known to be a regular file.
  const int flags = O_APPEND | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
  int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | flags, 0666);
  if (fd < 0) return -1;
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
    *notRegular = true;
    ::close(fd);
    return -1;
  }
  // The same file for reading too, where its permissions allow.
  const int both = ::open(file.c_str(), O_RDWR | flags);
  struct stat reopened {};
  if (both >= 0 && ::fstat(both, &reopened) == 0 && reopened.st_dev == opened.st_dev &&
      reopened.st_ino == opened.st_ino) {
    ::close(fd);
    fd = both;
  } else if (both >= 0) {
    ::close(both);
  }
  if (!MakeBlocking(fd) || (empty && ::ftruncate(fd, 0) != 0)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::optional<std::string> ReadRegularFile(const std::filesystem::path& file,
                                           std::size_t maxBytes) {
  const int fd = OpenRegularFileForReading(file);
  if (fd < 0) return std::nullopt;
  std::string content;
  char chunk[16 * 1024];
  bool ok = true;
  // The size is checked on what is read, not on what fstat says: the file may grow meanwhile.
  while (ok) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    content.append(chunk, static_cast<std::size_t>(got));
    ok = content.size() <= maxBytes;
  }
  ::close(fd);
  if (!ok) return std::nullopt;
  return content;
}
