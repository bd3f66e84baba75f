#pragma once

// FillDiskUnder: the disk fills up under a file the program holds open. The program's descriptor
// for the file is pointed at /dev/full, so every later write to it fails as on a full disk.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

inline void FillDiskUnder(const std::filesystem::path& file) {
  const std::filesystem::path target = std::filesystem::canonical(file);
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (std::filesystem::read_symlink(entry.path(), error) != target) continue;
    const int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(dup2(full, std::stoi(entry.path().filename().string())), 0);
    close(full);
    return;
  }
  FAIL() << "no open descriptor for " << file;
}
