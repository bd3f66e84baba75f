#include "csv_writer.h"

#include <string>
#include <utility>

#include "c_file.h"
#include "csv_format.h"

namespace {

bool Write(std::FILE* stream, const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

}  // namespace

FileOutcome SaveCsv(const std::filesystem::path& file, const RecordStore& records) {
  // Binary mode: the format carries its own CR LF, so the bytes do not depend on the platform.
  CFile stream = OpenCFile(file, "wb");
  if (!stream) return FileOutcome::CannotOpen;

  if (!Write(stream.get(), CsvHeaderLine())) return FileOutcome::CannotWrite;
  std::string line;
  for (const MeasurementRecord& record : records) {
    line.clear();
    AppendCsvRowLine(line, record);
    if (!Write(stream.get(), line)) return FileOutcome::CannotWrite;
  }
  return CloseCFile(std::move(stream)) ? FileOutcome::Ok : FileOutcome::CannotWrite;
}
