#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "archive/sqlite_connection.h"
#include "archive/wind_summary.h"

// The periods the archive summarises, in seconds.
enum class Resolution : std::int64_t { Minute = 60, Hour = 3600, Day = 86400 };
inline constexpr Resolution kResolutions[] = {Resolution::Minute, Resolution::Hour,
                                              Resolution::Day};

inline std::int64_t Seconds(Resolution resolution) { return static_cast<std::int64_t>(resolution); }

// A period's summary; start in local seconds (civil_time.h).
struct PeriodSummary {
  std::int64_t start = 0;
  WindSummary summary;
  friend bool operator==(const PeriodSummary&, const PeriodSummary&) = default;
};

// Reads and writes rows of the summaries table.
class SummaryRows {
 public:
  explicit SummaryRows(SqliteConnection& connection);

  std::optional<WindSummary> Load(std::int32_t station, Resolution resolution, std::int64_t start);
  void Store(std::int32_t station, Resolution resolution, std::int64_t start,
             const WindSummary& summary);
  void Erase(std::int32_t station, Resolution resolution, std::int64_t start);
  // Rows whose start lies in [from, to), oldest first.
  std::vector<PeriodSummary> Range(std::int32_t station, Resolution resolution, std::int64_t from,
                                   std::int64_t to);

 private:
  SqliteStatement load_;
  SqliteStatement store_;
  SqliteStatement erase_;
  SqliteStatement range_;
};
