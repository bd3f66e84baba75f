#include "archive/summary_rows.h"

#include <bit>
#include <cstring>

namespace {

constexpr char kColumns[] =
    "count, duration, speed_sum, wind_run, speed_min, speed_min_time, speed_max, speed_max_time, "
    "gust_max, gust_max_time, gust_max_sector, vector_east, vector_north, calm_count, "
    "temperature_sum, temperature_time_sum, temperature_min, temperature_min_time, "
    "temperature_max, temperature_max_time, wind_chill_min, wind_chill_min_time, sectors";

// The histogram keeps only the sectors that have records: one byte of sector, the count and the
// wind run, each little-endian, 13 bytes.
std::vector<std::uint8_t> PackSectors(const WindSummary& s) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < 16; ++i) {
    if (s.sectorCount[i] == 0) continue;
    bytes.push_back(static_cast<std::uint8_t>(i));
    const auto count = static_cast<std::uint32_t>(s.sectorCount[i]);
    for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<std::uint8_t>(count >> (8 * b)));
    const auto run = std::bit_cast<std::uint64_t>(s.sectorRun[i]);
    for (int b = 0; b < 8; ++b) bytes.push_back(static_cast<std::uint8_t>(run >> (8 * b)));
  }
  return bytes;
}

bool UnpackSectors(std::span<const std::uint8_t> bytes, WindSummary& s) {
  if (bytes.size() % 13 != 0) return false;
  for (std::size_t at = 0; at < bytes.size(); at += 13) {
    const std::size_t sector = bytes[at];
    if (sector >= 16) return false;
    std::uint32_t count = 0;
    for (int b = 0; b < 4; ++b) count |= static_cast<std::uint32_t>(bytes[at + 1 + b]) << (8 * b);
    std::uint64_t run = 0;
    for (int b = 0; b < 8; ++b) run |= static_cast<std::uint64_t>(bytes[at + 5 + b]) << (8 * b);
    s.sectorCount[sector] = count;
    s.sectorRun[sector] = std::bit_cast<double>(run);
  }
  return true;
}

WindSummary ReadSummary(const SqliteStatement& q, int first) {
  WindSummary s;
  int c = first;
  s.count = q.Int(c++);
  s.duration = q.Int(c++);
  s.speedSum = q.Real(c++);
  s.windRun = q.Real(c++);
  s.speedMin = q.Int(c++);
  s.speedMinTime = q.Int(c++);
  s.speedMax = q.Int(c++);
  s.speedMaxTime = q.Int(c++);
  s.gustMax = q.Int(c++);
  s.gustMaxTime = q.Int(c++);
  s.gustMaxSector = static_cast<std::int32_t>(q.Int(c++));
  s.vectorEast = q.Real(c++);
  s.vectorNorth = q.Real(c++);
  s.calmCount = q.Int(c++);
  s.temperatureSum = q.Real(c++);
  s.temperatureTimeSum = q.Real(c++);
  s.temperatureMin = q.Int(c++);
  s.temperatureMinTime = q.Int(c++);
  s.temperatureMax = q.Int(c++);
  s.temperatureMaxTime = q.Int(c++);
  s.windChillMin = q.Int(c++);
  s.windChillMinTime = q.Int(c++);
  if (!UnpackSectors(q.Blob(c), s))
    throw ArchiveError(ArchiveFault::Corrupt, "a summary's sector histogram is damaged");
  return s;
}

}  // namespace

SummaryRows::SummaryRows(SqliteConnection& connection)
    : load_(connection.Prepare(
          std::string("SELECT ") + kColumns +
          " FROM summaries WHERE station = ?1 AND resolution = ?2 AND start = ?3")),
      store_(connection.Prepare(
          std::string("INSERT OR REPLACE INTO summaries (station, resolution, start, ") + kColumns +
          ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, "
          "?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21, ?22, ?23, ?24, ?25, ?26)")),
      erase_(connection.Prepare(
          "DELETE FROM summaries WHERE station = ?1 AND resolution = ?2 AND start = ?3")),
      range_(connection.Prepare(
          std::string("SELECT start, ") + kColumns +
          " FROM summaries WHERE station = ?1 AND resolution = ?2 AND start >= ?3 "
          "AND start < ?4 ORDER BY start")) {}

std::optional<WindSummary> SummaryRows::Load(std::int32_t station, Resolution resolution,
                                             std::int64_t start) {
  load_.Bind(1, std::int64_t{station}).Bind(2, Seconds(resolution)).Bind(3, start);
  std::optional<WindSummary> summary;
  if (load_.Step()) summary = ReadSummary(load_, 0);
  load_.Reset();
  return summary;
}

void SummaryRows::Store(std::int32_t station, Resolution resolution, std::int64_t start,
                        const WindSummary& s) {
  const std::vector<std::uint8_t> sectors = PackSectors(s);
  store_.Bind(1, std::int64_t{station}).Bind(2, Seconds(resolution)).Bind(3, start);
  store_.BindAll(std::int64_t{station}, Seconds(resolution), start, s.count, s.duration, s.speedSum,
                 s.windRun, s.speedMin, s.speedMinTime, s.speedMax, s.speedMaxTime, s.gustMax,
                 s.gustMaxTime, std::int64_t{s.gustMaxSector}, s.vectorEast, s.vectorNorth,
                 s.calmCount, s.temperatureSum, s.temperatureTimeSum, s.temperatureMin,
                 s.temperatureMinTime, s.temperatureMax, s.temperatureMaxTime, s.windChillMin,
                 s.windChillMinTime);
  store_.BindBlob(26, sectors);
  store_.Run();
}

void SummaryRows::Erase(std::int32_t station, Resolution resolution, std::int64_t start) {
  erase_.Bind(1, std::int64_t{station}).Bind(2, Seconds(resolution)).Bind(3, start);
  erase_.Run();
}

std::vector<PeriodSummary> SummaryRows::Range(std::int32_t station, Resolution resolution,
                                              std::int64_t from, std::int64_t to) {
  range_.Bind(1, std::int64_t{station}).Bind(2, Seconds(resolution)).Bind(3, from).Bind(4, to);
  std::vector<PeriodSummary> rows;
  try {
    while (range_.Step()) rows.push_back({range_.Int(0), ReadSummary(range_, 1)});
  } catch (...) {
    range_.Reset();
    throw;
  }
  range_.Reset();
  return rows;
}
