#pragma once

// A folder of a benchmark's own on the real disk (not a tmpfs, so that syncs cost what they cost
// a user): BENCH_ARCHIVE_DIR, default /var/tmp. Removed with everything in it at the end.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class BenchFolder {
 public:
  explicit BenchFolder(const char* name) {
    const char* base = std::getenv("BENCH_ARCHIVE_DIR");
    std::string pattern = std::string(base ? base : "/var/tmp") + "/" + name + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~BenchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;

  std::filesystem::path operator/(const char* name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};
