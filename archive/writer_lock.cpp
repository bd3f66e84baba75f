#include "archive/writer_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "archive/archive_error.h"

WriterLock::WriterLock(const std::filesystem::path& archive) {
  const std::filesystem::path lockFile = archive.string() + "-lock";
  descriptor_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (descriptor_ < 0) {
    const int error = errno;
    const ArchiveFault fault =
        error == EROFS || error == EACCES ? ArchiveFault::ReadOnly : ArchiveFault::CannotOpen;
    throw ArchiveError(fault, lockFile.string() + ": " + std::strerror(error));
  }
  if (::flock(descriptor_, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(descriptor_);
    descriptor_ = -1;
    if (error == EWOULDBLOCK) {
      throw ArchiveError(ArchiveFault::Locked,
                         archive.string() + ": another program is writing this archive");
    }
    throw ArchiveError(ArchiveFault::Other, lockFile.string() + ": " + std::strerror(error));
  }
}

WriterLock::~WriterLock() {
  if (descriptor_ >= 0) ::close(descriptor_);
}
