#include "files/data_file_reader.h"

#include <string_view>

#include "files/c_file.h"
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
  // Binary: the reader does the text-mode line-end translation itself, the same everywhere. Only
  // a regular file: a pipe or a device would block the window or never end.
  CFile stream = OpenRegularCFileForReading(file);
  if (!stream) return ReadOutcome::CannotOpen;
  return ReadDataStream(stream.get(), onRecord);
}
