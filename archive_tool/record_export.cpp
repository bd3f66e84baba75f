#include "archive_tool/record_export.h"

#include <array>
#include <string>

#include "archive/civil_time.h"
#include "archive/station_archive.h"
#include "files/csv_format.h"

namespace {

constexpr std::size_t kChunk = 1 << 20;

std::string HeaderIn(const WindUnits& units) {
  std::string header = CsvHeaderLine();
  const std::string from = "[m/s]";
  const std::string to = std::string("[") + units.SpeedName() + "]";
  for (std::size_t at = header.find(from); at != std::string::npos;
       at = header.find(from, at + to.size())) {
    header.replace(at, from.size(), to);
  }
  return header;
}

}  // namespace

std::optional<std::int64_t> ExportRecords(StationArchive& archive, std::int32_t station,
                                          std::int64_t fromLocal, std::int64_t toLocal,
                                          const WindUnits& units, const ExportSink& sink) {
  std::string buffer = HeaderIn(units);
  std::int64_t rows = 0;
  bool failed = false;
  const bool convert = units.speed != SpeedUnit::MetresPerSecond;
  archive.ForEachRecord(station, fromLocal, toLocal, [&](const StoredRecord& r) {
    if (failed) return;
    std::array<double, 7> values{FromMillionths(r.avgSpeed),      FromMillionths(r.gustSpeed),
                                 FromMillionths(r.temperature),   FromMillionths(r.windChillAvg),
                                 FromMillionths(r.windChillGust), FromMillionths(r.beaufortAvg),
                                 FromMillionths(r.beaufortGust)};
    if (convert) {
      values[0] = units.Speed(values[0]);
      values[1] = units.Speed(values[1]);
    }
    AppendCsvRowLine(buffer, CivilFromSeconds(r.LocalSeconds()), values, r.sector);
    ++rows;
    if (buffer.size() >= kChunk) {
      failed = !sink(buffer);
      buffer.clear();
    }
  });
  if (failed || !sink(buffer)) return std::nullopt;
  return rows;
}
