#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The program's own small files (anemometer.cal, anemometer.ini) are never larger than this; a
// bigger file is not one of them, and reading it could take the program's memory.
inline constexpr std::size_t kProgramFileSizeLimit = std::size_t{1} << 20;

// How the core reads and replaces whole files. The core knows no operating system; the
// program's implementation is PosixFileStore (files/posix_file_store.h).
class FileStore {
 public:
  virtual ~FileStore() = default;

  // The whole content of a regular file of at most maxBytes bytes. nullopt when the file is
  // missing, is not a regular file (a directory, a pipe, a device), is larger or cannot be read.
  virtual std::optional<std::string> ReadWholeFile(const std::filesystem::path& file,
                                                   std::size_t maxBytes) = 0;

  // Replaces the file's content with bytes, all or nothing: false on any failure, and the file
  // is then as it was before the call.
  virtual bool ReplaceWholeFile(const std::filesystem::path& file, std::string_view bytes) = 0;
};
