#pragma once

#include <sys/types.h>

// The system calls through which files are created and written, so that tests can make any one
// of them fail the way a full disk or a failing device does. The base class makes the real calls.
class FileCalls {
 public:
  virtual ~FileCalls() = default;
  virtual int Open(const char* path, int flags, mode_t mode);
  virtual ssize_t Write(int fd, const void* data, size_t size);
  virtual int Fsync(int fd);
  virtual int Close(int fd);
  virtual int Rename(const char* from, const char* to);
};

// The real calls; holds no state.
FileCalls& SystemFileCalls();
