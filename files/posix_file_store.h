#pragma once

#include "core/file_store.h"
#include "files/file_calls.h"

// The core's files on this system: read only when regular and small enough, replaced through
// AtomicFile (atomic_file.h).
class PosixFileStore : public FileStore {
 public:
  explicit PosixFileStore(FileCalls& calls = SystemFileCalls()) : calls_(calls) {}

  std::optional<std::string> ReadWholeFile(const std::filesystem::path& file,
                                           std::size_t maxBytes) override;
  bool ReplaceWholeFile(const std::filesystem::path& file, std::string_view bytes) override;

 private:
  FileCalls& calls_;
};
