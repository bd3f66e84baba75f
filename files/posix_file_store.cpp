#include "files/posix_file_store.h"

#include "files/atomic_file.h"
#include "files/regular_file.h"

std::optional<std::string> PosixFileStore::ReadWholeFile(const std::filesystem::path& file,
                                                         std::size_t maxBytes) {
  return ReadRegularFile(file, maxBytes);
}

bool PosixFileStore::ReplaceWholeFile(const std::filesystem::path& file, std::string_view bytes) {
  return ReplaceFileContents(file, bytes, calls_);
}
