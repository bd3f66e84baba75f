#pragma once

#include <stdexcept>
#include <string>

// What went wrong with an archive, so that each program can say it in its own words and decide
// whether to try again (a full disk) or to go on without the archive (everything else).
enum class ArchiveFault {
  CannotOpen,    // no such folder, no permission to read
  NotAnArchive,  // not an SQLite file, or an SQLite file of another program
  NewerSchema,   // written by a newer version of this program
  ReadOnly,      // the file or its folder cannot be written
  Locked,        // another program is writing it
  DiskFull,
  Corrupt,
  BadInput,  // a caller's value the archive cannot store
  Other,
};

class ArchiveError : public std::runtime_error {
 public:
  ArchiveError(ArchiveFault fault, const std::string& message)
      : std::runtime_error(message), fault_(fault) {}
  ArchiveFault Fault() const { return fault_; }

 private:
  ArchiveFault fault_;
};
