#include "files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// The file a chain of symbolic links ends at; a loop ends after as many hops as the kernel
// allows, at a link, which is then refused as not a regular file.
fs::path FollowLinks(fs::path file) {
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code error;
    if (!fs::is_symlink(file, error)) return file;
    const fs::path next = fs::read_symlink(file, error);
    if (error) return file;
    file = next.is_absolute() ? next : file.parent_path() / next;
  }
  return file;
}

// ".name.k3x9q2" next to the target: hidden, and on the same file system, so the rename is
// atomic.
fs::path TemporaryName(const fs::path& target) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::string suffix(6, ' ');
  for (char& c : suffix) c = kLetters[random() % (sizeof(kLetters) - 1)];
  return target.parent_path() / ("." + target.filename().string() + "." + suffix);
}

// Best effort: a folder that cannot be synced still holds the renamed file.
void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

AtomicFile::~AtomicFile() { Discard(); }

AtomicFile::Start AtomicFile::Begin(const fs::path& target) {
  Discard();
  failed_ = false;
  buffer_.clear();
  target_ = FollowLinks(target);
  if (target_.parent_path().empty()) target_ = fs::path(".") / target_;

  struct stat existing {};
  const bool exists = ::lstat(target_.c_str(), &existing) == 0;
  if (!exists && errno != ENOENT) return Start::CannotCreate;
  if (exists && !S_ISREG(existing.st_mode)) return Start::TargetNotRegular;
  // The rename would replace a file the user may not write; it stays refused, as an open would.
  if (exists && ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
    return Start::CannotCreate;
  }

  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temporary_ = TemporaryName(target_);
    fd_ = calls_.Open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    temporary_.clear();
    return Start::CannotCreate;
  }
  if (exists) {
    // Not every file system keeps modes or owners (a FAT memory stick); the content counts, so
    // a refusal here is no failure.
    [[maybe_unused]] const int modeKept = ::fchmod(fd_, existing.st_mode & 07777);
    if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
      [[maybe_unused]] const int ownerKept = ::fchown(fd_, existing.st_uid, existing.st_gid);
    }
  }
  return Start::Ok;
}

bool AtomicFile::Write(std::string_view bytes) {
  if (fd_ < 0 || failed_) return false;
  if (buffer_.size() + bytes.size() > kBufferSize) {
    if (!WriteOut(buffer_)) return false;
    buffer_.clear();
    if (bytes.size() >= kBufferSize) return WriteOut(bytes);
  }
  buffer_.append(bytes);
  return true;
}

bool AtomicFile::WriteOut(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = calls_.Write(fd_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      failed_ = true;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool AtomicFile::Commit() {
  if (fd_ < 0 || failed_ || !WriteOut(buffer_)) {
    Discard();
    return false;
  }
  buffer_.clear();
  // Data that only the close or the sync fails to write must not replace the old file.
  if (calls_.Fsync(fd_) != 0) {
    Discard();
    return false;
  }
  const int fd = fd_;
  fd_ = -1;  // closed even when the close reports an error
  if (calls_.Close(fd) != 0 || calls_.Rename(temporary_.c_str(), target_.c_str()) != 0) {
    Discard();
    return false;
  }
  temporary_.clear();
  SyncFolder(target_.parent_path());
  return true;
}

void AtomicFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

bool ReplaceFileContents(const fs::path& file, std::string_view bytes, FileCalls& calls) {
  AtomicFile out(calls);
  return out.Begin(file) == AtomicFile::Start::Ok && out.Write(bytes) && out.Commit();
}
