#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/measurement_record.h"
#include "files/c_file.h"
#include "files/file_outcomes.h"

class LinePieceReader;

using RecordCallback = std::function<void(const MeasurementRecord&)>;

// Reads a data file: the first line is skipped whole, then every line piece (line_piece_reader.h)
// must parse as a record (data_line_parser.h) and is handed to onRecord at once, in file order.
// Stops at the first bad piece or read error; records handed over before it stay with the
// caller. The end of the file is Ok, also for an empty or header-only file. CannotOpen also for
// what is not a regular file (a directory, a pipe, a device or a link to one).
ReadOutcome ReadDataFile(const std::filesystem::path& file, const RecordCallback& onRecord);

// The same on an open stream, which is left open.
ReadOutcome ReadDataStream(std::FILE* stream, const RecordCallback& onRecord);

// ReadDataFile in steps of bounded size, so that a window can show how far it is, stay
// responsive and stop when the user asks, whatever the file holds (a first line of gigabytes
// without a line end included).
class DataFileLoad {
 public:
  // Opens the file; Outcome() is CannotOpen when that failed.
  explicit DataFileLoad(const std::filesystem::path& file);
  ~DataFileLoad();
  DataFileLoad(const DataFileLoad&) = delete;
  DataFileLoad& operator=(const DataFileLoad&) = delete;

  // Reads on, about maxBytes bytes, handing each record to onRecord. False once the load has
  // ended (Outcome says how); true while there is more.
  bool Step(const RecordCallback& onRecord, std::size_t maxBytes);

  ReadOutcome Outcome() const { return outcome_; }
  // Bytes read so far and the file's size when it was opened, for a progress display.
  std::uint64_t Position() const;
  std::uint64_t Size() const { return size_; }

 private:
  CFile stream_;
  std::unique_ptr<LinePieceReader> reader_;
  std::uint64_t size_ = 0;
  bool headerSkipped_ = false;
  bool ended_ = false;
  ReadOutcome outcome_ = ReadOutcome::Ok;
};
