#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>

// A C stream that closes itself. The data files go through C streams so that their buffering and
// line handling are those of the runtime, byte for byte.
struct CFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using CFile = std::unique_ptr<std::FILE, CFileCloser>;

// fopen with a path in the platform's own file-name encoding; null when it cannot be opened.
CFile OpenCFile(const std::filesystem::path& file, const char* mode);

// A C stream reading a regular file (regular_file.h); null when it cannot be opened or is a
// directory, pipe or device.
CFile OpenRegularCFileForReading(const std::filesystem::path& file);

// Flushes and closes; false when buffered data could not be written or the close failed.
bool CloseCFile(CFile file);
