#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "core/measurement_record.h"
#include "files/csv_format.h"
#include "files/file_outcomes.h"
#include "files/row_file.h"

// The live capture log: a CSV file that receives its header when it is switched on and then one
// row for every row capture produces, each written at once so the file is complete at every
// moment. The file holds whole rows only (row_file.h), also when the disk fills up, and every
// write goes to its end, so another program appending to the same file loses no row. The file is
// replaced, written and closed only under dataLock (the main window's
// DataLock). Callers must not hold dataLock when they call in, and show any message only after
// the call has returned, when the lock is free again.
class LiveLog {
 public:
  // How the file is written: its header line and one row, each with its line end.
  struct LineFormat {
    std::string (*header)();
    std::string (*row)(const MeasurementRecord& record);
  };

  explicit LiveLog(std::mutex& dataLock) : dataLock_(dataLock) {}
  ~LiveLog() = default;  // an open log is closed; nobody can write to it any more
  LiveLog(const LiveLog&) = delete;
  LiveLog& operator=(const LiveLog&) = delete;

  // Creates or empties the file and writes the header. On success the log is on and remembers
  // displayName for later messages; otherwise it is off. A log that was on is closed first.
  // CannotWrite, with nothing changed, when the file is a directory, a pipe or a device.
  FileOutcome Open(const std::filesystem::path& file, std::string displayName);

  // Like Open, but keeps what the file holds and appends to it: the header is written only when
  // the file is new or empty, and a last line cut short by an older fault is ended first. For a
  // log that goes on across runs.
  FileOutcome Append(const std::filesystem::path& file, std::string displayName);

  // Switches the log off; nothing happens when it is already off.
  void Close();

  // For the user-interface thread, which alone switches the log.
  bool IsOn() const { return rows_ != nullptr; }

  // Appends one row with one write. Off: Ok, and nothing is written. A failed or short write
  // leaves the file as it was before the row, closes it and switches the log off, returning
  // CannotWrite; rows written before stay.
  FileOutcome WriteRow(const MeasurementRecord& record);

  // The window's format (files/csv_format.h) unless another is set, before the log goes on.
  void SetLineFormat(const LineFormat& format) { format_ = format; }

  // The name given to the last successful Open, for the write-failure message.
  const std::string& FileName() const { return fileName_; }

 private:
  // Open or Append: the file from its start with a header, or at its end with a header only
  // when it is empty.
  FileOutcome SwitchOn(const std::filesystem::path& file, std::string displayName, bool append);

  std::mutex& dataLock_;
  LineFormat format_{CsvHeaderLine, CsvRowLine};
  std::unique_ptr<RowFile> rows_;
  std::string fileName_;
};
