#pragma once

// FailingFileCalls: the real file calls, except that the nth call of one kind fails with an error
// number, as a full disk or a failing device makes it fail. Optionally every write is short and
// every other one interrupted, as signals and pipes make them.

#include <cerrno>
#include <cstddef>

#include "files/file_calls.h"

class FailingFileCalls : public FileCalls {
 public:
  enum class Call { Open, Write, Fsync, Close, Rename, None };

  explicit FailingFileCalls(Call failing = Call::None, int nth = 1, int error = ENOSPC)
      : failing_(failing), nth_(nth), error_(error) {}

  // How many calls of the failing kind were made, the failed one included.
  int Count() const { return count_; }
  bool Failed() const { return count_ >= nth_; }

  // Each write takes at most 7 bytes, and every second call is interrupted before it writes.
  bool choppyWrites = false;

  int Open(const char* path, int flags, mode_t mode) override {
    return Fails(Call::Open) ? -1 : FileCalls::Open(path, flags, mode);
  }
  ssize_t Write(int fd, const void* data, size_t size) override {
    if (Fails(Call::Write)) return -1;
    if (choppyWrites) {
      if (++writes_ % 2 == 0) {
        errno = EINTR;
        return -1;
      }
      if (size > 7) size = 7;
    }
    return FileCalls::Write(fd, data, size);
  }
  int Fsync(int fd) override { return Fails(Call::Fsync) ? -1 : FileCalls::Fsync(fd); }
  int Close(int fd) override {
    // The descriptor is gone even when close reports an error, as on Linux.
    const int result = FileCalls::Close(fd);
    return Fails(Call::Close) ? -1 : result;
  }
  int Rename(const char* from, const char* to) override {
    return Fails(Call::Rename) ? -1 : FileCalls::Rename(from, to);
  }

 private:
  bool Fails(Call call) {
    if (call != failing_ || ++count_ != nth_) return false;
    errno = error_;
    return true;
  }

  Call failing_;
  int nth_;
  int error_;
  int count_ = 0;
  std::size_t writes_ = 0;
};
