#include "files/row_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "files/regular_file.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The last byte of a file of size bytes, or -1 when it cannot be read (a file that may be
// written but not read is taken as it is).
int LastByte(int fd, off_t size) {
  unsigned char last = 0;
  return size > 0 && ::pread(fd, &last, 1, size - 1) == 1 ? last : -1;
}

}  // namespace

FileOutcome RowFile::Open(const std::filesystem::path& file, bool empty) {
  Close();
  bool notRegular = false;
  // For reading too: the end of an older cut row is looked at before anything is appended.
  const int fd = OpenRegularFileForAppending(file, &notRegular, empty);
  if (notRegular) return FileOutcome::CannotWrite;
  if (fd < 0) return FileOutcome::CannotOpen;
  fd_ = fd;
  struct stat info {};
  if (::fstat(fd_, &info) != 0) {
    Close();
    return FileOutcome::CannotOpen;
  }
  wasEmpty_ = info.st_size == 0;
  const int last = LastByte(fd_, info.st_size);
  if (last >= 0 && last != '\n' && !AppendWhole(kLineEnd)) {
    Close();
    return FileOutcome::CannotOpen;
  }
  return FileOutcome::Ok;
}

void RowFile::Close() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

bool RowFile::AppendWhole(std::string_view text) {
  if (fd_ < 0) return false;
  for (;;) {
    const ssize_t written = ::write(fd_, text.data(), text.size());
    if (written == static_cast<ssize_t>(text.size())) return true;
    if (written < 0 && errno == EINTR) continue;  // interrupted before anything was written
    if (written > 0) CutBack(written);
    return false;
  }
}

void RowFile::CutBack(off_t written) {
  // In append mode the offset is the end of what this write put into the file.
  const off_t end = ::lseek(fd_, 0, SEEK_CUR);
  struct stat info {};
  if (end < written || ::fstat(fd_, &info) != 0 || info.st_size != end) return;
  [[maybe_unused]] const int ignored = ::ftruncate(fd_, end - written);
}
