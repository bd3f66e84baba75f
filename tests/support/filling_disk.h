#pragma once

// FillingDisk: a disk that fills up and frees again under the files a test writes. Where the
// test may mount (root with the right to mount), a small tmpfs on a fresh folder, filled by a
// ballast file; elsewhere a file size limit (RLIMIT_FSIZE with SIGXFSZ ignored) a few hundred
// bytes above the files' size, which makes writes fail and fall short in the same way.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

class FillingDisk {
 public:
  explicit FillingDisk(bool mayMount = true)
      : dir_(std::filesystem::temp_directory_path() /
             ("anemometer-disk-" + std::to_string(getpid()) + "-" + std::to_string(++count_))) {
    std::filesystem::create_directories(dir_);
    mounted_ = mayMount && ::mount("tmpfs", dir_.c_str(), "tmpfs", 0, "size=256k") == 0;
  }
  ~FillingDisk() {
    Free();
    if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  FillingDisk(const FillingDisk&) = delete;
  FillingDisk& operator=(const FillingDisk&) = delete;

  std::filesystem::path operator/(const std::string& name) const { return dir_ / name; }
  bool Mounted() const { return mounted_; }

  // From now on the files in the folder can grow by a few hundred bytes at most.
  void Fill() {
    if (mounted_) {
      std::ofstream ballast(dir_ / "ballast", std::ios::binary);
      const std::string block(4096, 'x');
      while (ballast.write(block.data(), block.size())) ballast.flush();
      return;
    }
    std::uintmax_t largest = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      largest = std::max(largest, entry.file_size());
    }
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved_), 0);
    rlimit limited = saved_;
    limited.rlim_cur = static_cast<rlim_t>(largest + 300);
    previousXfsz_ = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    limited_ = true;
  }

  // Room again, as when old files are deleted.
  void Free() {
    if (mounted_) {
      std::error_code ignored;
      std::filesystem::remove(dir_ / "ballast", ignored);
    }
    if (limited_) {
      ::setrlimit(RLIMIT_FSIZE, &saved_);
      std::signal(SIGXFSZ, previousXfsz_);
      limited_ = false;
    }
  }

 private:
  static inline int count_ = 0;
  std::filesystem::path dir_;
  bool mounted_ = false;
  bool limited_ = false;
  rlimit saved_{};
  void (*previousXfsz_)(int) = SIG_DFL;
};
