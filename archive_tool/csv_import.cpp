#include "archive_tool/csv_import.h"

#include <fstream>

#include "archive/archive_error.h"
#include "archive/station_archive.h"
#include "archive/stored_record.h"
#include "archive/zone_placer.h"
#include "archive_tool/iso_log_row.h"
#include "archive_tool/same_second_counter.h"
#include "files/data_file_reader.h"
#include "files/file_messages.h"

namespace {

constexpr std::size_t kStepBytes = 1 << 20;

std::string LineError(std::int64_t line, const std::string& text) {
  return "line " + std::to_string(line) + ": " + text;
}

// The first line, when it is short enough to be a header.
std::string FirstLine(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string line;
  char c = 0;
  while (line.size() < 200 && in.get(c) && c != '\n') line += c;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

ImportResult ImportIsoLog(StationArchive& archive, std::int32_t station,
                          const std::filesystem::path& file, const ImportProgress& progress) {
  ImportResult result;
  std::ifstream in(file, std::ios::binary);
  std::error_code unknown;
  const std::uintmax_t size = std::filesystem::file_size(file, unknown);
  SameSecondCounter seconds;
  std::string line;
  std::getline(in, line);  // the header
  std::int64_t number = 1;
  archive.BeginImport();
  try {
    while (std::getline(in, line)) {
      ++number;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      StoredRecord record;
      if (!ParseIsoLogRow(line, record)) {
        archive.AbandonImport();
        return {true, LineError(number, "not a row of the ISO log."), 0, 0};
      }
      record.seq = seconds.Next(record.time);
      if (archive.Import(station, record)) {
        ++result.added;
      } else {
        ++result.present;
      }
      if (progress && number % 4096 == 0) {
        progress(static_cast<std::uint64_t>(in.tellg()), unknown ? 0 : size);
      }
    }
    if (in.bad()) {
      archive.AbandonImport();
      return {true, OutcomeMessage(ReadOutcome::CannotRead, file.string()), 0, 0};
    }
  } catch (...) {
    archive.AbandonImport();
    throw;
  }
  archive.CommitImport();
  return result;
}

}  // namespace

ImportResult ImportDataFile(StationArchive& archive, std::int32_t station,
                            const std::filesystem::path& file, const ImportProgress& progress) {
  ImportResult result;
  DataFileLoad load(file);
  if (load.Outcome() == ReadOutcome::CannotOpen) {
    result.refused = true;
    result.error = "Cannot open the file.";
    return result;
  }
  if (FirstLine(file) == kIsoLogHeader) return ImportIsoLog(archive, station, file, progress);
  SameSecondCounter seconds;
  ZonePlacer zone;
  std::int64_t records = 0;
  const RecordCallback take = [&](const MeasurementRecord& record) {
    ++records;
    StoredRecord stored = ToStoredRecord(record, zone.Place(record.Time), false);
    stored.seq = seconds.Next(stored.time);
    if (archive.Import(station, stored)) {
      ++result.added;
    } else {
      ++result.present;
    }
  };
  archive.BeginImport();
  try {
    while (load.Step(take, kStepBytes)) {
      if (progress) progress(load.Position(), load.Size());
    }
  } catch (const ArchiveError& error) {
    archive.AbandonImport();
    if (error.Fault() != ArchiveFault::BadInput) throw;
    // The header is line 1; the record that could not be kept is the next one.
    return {true, LineError(records + 1, "a value the archive cannot keep"), 0, 0};
  } catch (...) {
    archive.AbandonImport();
    throw;
  }
  if (load.Outcome() != ReadOutcome::Ok) {
    archive.AbandonImport();
    const std::string message = OutcomeMessage(load.Outcome(), file.string());
    if (load.Outcome() == ReadOutcome::CannotRead) return {true, message, 0, 0};
    return {true, LineError(records + 2, message), 0, 0};
  }
  archive.CommitImport();
  return result;
}
