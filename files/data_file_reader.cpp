#include "files/data_file_reader.h"

#include <sys/stat.h>

#include <limits>
#include <string_view>

#include "files/data_line_parser.h"
#include "files/line_piece_reader.h"

ReadOutcome ReadDataStream(std::FILE* stream, const RecordCallback& onRecord) {
  using Status = LinePieceReader::Status;
  LinePieceReader reader(stream);
  // The first line is the header, skipped whole whatever it holds.
  Status status = reader.SkipLine();
  std::string_view piece;
  while (status == Status::Piece && (status = reader.Next(piece)) == Status::Piece) {
    MeasurementRecord record;
    const ReadOutcome outcome = ParseDataLine(piece, record);
    if (outcome != ReadOutcome::Ok) return outcome;
    onRecord(record);
  }
  return status == Status::Error ? ReadOutcome::CannotRead : ReadOutcome::Ok;
}

ReadOutcome ReadDataFile(const std::filesystem::path& file, const RecordCallback& onRecord) {
  DataFileLoad load(file);
  while (load.Step(onRecord, std::numeric_limits<std::size_t>::max())) {
  }
  return load.Outcome();
}

DataFileLoad::DataFileLoad(const std::filesystem::path& file)
    // Binary: the reader does the text-mode line-end translation itself, the same everywhere.
    // Only a regular file: a pipe or a device would block the window or never end.
    : stream_(OpenRegularCFileForReading(file)) {
  if (!stream_) {
    outcome_ = ReadOutcome::CannotOpen;
    ended_ = true;
    return;
  }
  struct stat info {};
  if (::fstat(::fileno(stream_.get()), &info) == 0)
    size_ = static_cast<std::uint64_t>(info.st_size);
  reader_ = std::make_unique<LinePieceReader>(stream_.get());
}

DataFileLoad::~DataFileLoad() = default;

std::uint64_t DataFileLoad::Position() const { return reader_ ? reader_->Consumed() : 0; }

bool DataFileLoad::Step(const RecordCallback& onRecord, std::size_t maxBytes) {
  using Status = LinePieceReader::Status;
  if (ended_) return false;
  const std::uint64_t start = reader_->Consumed();
  const auto Within = [&] { return reader_->Consumed() - start < maxBytes; };
  Status status = Status::Piece;
  if (!headerSkipped_) {
    // The first line is the header, skipped whole whatever it holds.
    status = reader_->SkipLine(maxBytes);
    if (status == Status::More) return true;
    headerSkipped_ = true;
  }
  std::string_view piece;
  while (status == Status::Piece && Within()) {
    status = reader_->Next(piece);
    if (status != Status::Piece) break;
    MeasurementRecord record;
    const ReadOutcome parsed = ParseDataLine(piece, record);
    if (parsed != ReadOutcome::Ok) {
      outcome_ = parsed;
      ended_ = true;
      stream_.reset();
      return false;
    }
    onRecord(record);
  }
  if (status == Status::Piece) return true;
  outcome_ = status == Status::Error ? ReadOutcome::CannotRead : ReadOutcome::Ok;
  ended_ = true;
  stream_.reset();
  return false;
}
