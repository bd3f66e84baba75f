#pragma once

// TemporaryProgramDir: an empty directory standing in for the executable's directory, removed
// with everything in it when the object goes.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

class TemporaryProgramDir {
 public:
  TemporaryProgramDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "anemometer-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TemporaryProgramDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryProgramDir(const TemporaryProgramDir&) = delete;
  TemporaryProgramDir& operator=(const TemporaryProgramDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path File(std::string_view name) const { return path_ / name; }

  // Writes the bytes as they are (no line-end conversion).
  void Write(std::string_view name, std::string_view content) const {
    std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw std::runtime_error("cannot write " + File(name).string());
  }

 private:
  std::filesystem::path path_;
};
