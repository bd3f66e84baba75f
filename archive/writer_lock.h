#pragma once

#include <filesystem>

// Keeps a second writer away from an archive for as long as the first has it open: an advisory
// lock on FILE-lock beside it, released by the system when the process ends however it ends.
// A lock file of its own, because closing any other descriptor of the database file would drop
// the locks SQLite holds on it.
class WriterLock {
 public:
  // Throws ArchiveError (Locked) when another writer holds it.
  explicit WriterLock(const std::filesystem::path& archive);
  ~WriterLock();
  WriterLock(const WriterLock&) = delete;
  WriterLock& operator=(const WriterLock&) = delete;

 private:
  int descriptor_ = -1;
};
