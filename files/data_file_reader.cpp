#include "data_file_reader.h"

#include <string_view>

#include "c_file.h"
#include "data_line_parser.h"
#include "line_piece_reader.h"

ReadOutcome ReadDataStream(std::FILE* stream, const RecordCallback& onRecord) {
  LinePieceReader reader(stream);
  switch (reader.SkipLine()) {
    case LinePieceReader::Status::Error:
      return ReadOutcome::CannotRead;
    case LinePieceReader::Status::End:
      return ReadOutcome::Ok;
    case LinePieceReader::Status::Piece:
      break;
  }
  for (;;) {
    std::string_view piece;
    switch (reader.Next(piece)) {
      case LinePieceReader::Status::Error:
        return ReadOutcome::CannotRead;
      case LinePieceReader::Status::End:
        return ReadOutcome::Ok;
      case LinePieceReader::Status::Piece:
        break;
    }
    MeasurementRecord record;
    const ReadOutcome outcome = ParseDataLine(piece, record);
    if (outcome != ReadOutcome::Ok) return outcome;
    onRecord(record);
  }
}

ReadOutcome ReadDataFile(const std::filesystem::path& file, const RecordCallback& onRecord) {
  // Binary: the reader does the text-mode line-end translation itself, the same everywhere.
  CFile stream = OpenCFile(file, "rb");
  if (!stream) return ReadOutcome::CannotOpen;
  return ReadDataStream(stream.get(), onRecord);
}
