#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "files/file_calls.h"

// Replaces a file all or nothing. The new content goes into a fresh temporary file in the
// target's folder; only when every write, the sync and the close have succeeded is it renamed
// over the target. On any failure the temporary file is removed and the target is left byte for
// byte as it was, so a full disk never costs the user the previous file.
//
// A new file gets mode 0666 less the umask; a replaced file keeps its mode (and, where the
// process may, its owner). A symbolic link is followed: the file it points to is replaced and
// the link stays a link.
class AtomicFile {
 public:
  enum class Start {
    Ok,
    TargetNotRegular,  // the target exists and is a directory, pipe, device, ...
    CannotCreate,      // the target may not be written, or no temporary file can be made
  };

  explicit AtomicFile(FileCalls& calls = SystemFileCalls()) : calls_(calls) {}
  ~AtomicFile();  // an uncommitted temporary file is removed
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  Start Begin(const std::filesystem::path& target);

  // Buffered; false once any write has failed, after which nothing more is written.
  bool Write(std::string_view bytes);

  // Writes what is buffered, syncs, closes and renames over the target. false on any failure.
  // The folder is synced afterwards too; its failure is not reported, because the new content
  // is in place then and, should the rename be lost in a crash, the old file is complete.
  bool Commit();

 private:
  bool WriteOut(std::string_view bytes);
  void Discard();

  FileCalls& calls_;
  int fd_ = -1;
  bool failed_ = false;
  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::string buffer_;
};

// Begin, one Write and Commit. false on any failure (then the file is as it was).
bool ReplaceFileContents(const std::filesystem::path& file, std::string_view bytes,
                         FileCalls& calls = SystemFileCalls());
