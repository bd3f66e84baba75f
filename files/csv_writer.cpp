#include "files/csv_writer.h"

#include <string>

#include "files/atomic_file.h"
#include "files/csv_format.h"

FileOutcome SaveCsv(const std::filesystem::path& file, const RecordStore& records,
                    FileCalls& calls) {
  AtomicFile out(calls);
  switch (out.Begin(file)) {
    case AtomicFile::Start::Ok:
      break;
    case AtomicFile::Start::TargetNotRegular:
      return FileOutcome::CannotWrite;
    case AtomicFile::Start::CannotCreate:
      return FileOutcome::CannotOpen;
  }
  // The format carries its own CR LF, so the bytes do not depend on the platform.
  if (!out.Write(CsvHeaderLine())) return FileOutcome::CannotWrite;
  std::string line;
  for (const MeasurementRecord& record : records) {
    line.clear();
    AppendCsvRowLine(line, record);
    if (!out.Write(line)) return FileOutcome::CannotWrite;
  }
  return out.Commit() ? FileOutcome::Ok : FileOutcome::CannotWrite;
}
