#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string_view>

#include "files/file_outcomes.h"

// A log file that only ever holds whole rows, however its disk fills and frees and whoever else
// appends to it. Every write goes to the end (append mode), so a second writer's rows are never
// overwritten; a row goes out in one call, and a row that the disk takes only in part is cut off
// again, so no later row is glued onto half a row. Opened only when it is a regular file.
class RowFile {
 public:
  RowFile() = default;
  ~RowFile() { Close(); }
  RowFile(const RowFile&) = delete;
  RowFile& operator=(const RowFile&) = delete;

  // Opens, creating it when missing; with empty, what it held is dropped. A file that ends in
  // the middle of a line (a row cut by an older program or a power failure) gets that line ended
  // with CR LF, so the next row starts a line of its own. CannotWrite, with nothing changed, for a
  // directory, a pipe or a device; CannotOpen when it cannot be opened or its line not ended.
  FileOutcome Open(const std::filesystem::path& file, bool empty);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // True when the file held nothing when it was opened (before any line end was added).
  bool WasEmpty() const { return wasEmpty_; }

  // Appends text (one or more whole lines) with one write. False when the write failed or was
  // short; the part that reached the file is cut off again, so the file ends as it did before.
  bool AppendWhole(std::string_view text);

 private:
  // Cuts off the written bytes of a short write, unless another writer has appended after them:
  // their rows are whole and stay.
  void CutBack(off_t written);

  int fd_ = -1;
  bool wasEmpty_ = false;
};
