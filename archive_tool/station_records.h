#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive_tool/wind_units.h"

class StationArchive;

// The station's records (extremes) from its day summaries: for all time and for each year.
struct Extreme {
  bool known = false;
  double value = 0.0;               // m/s, m or °C
  std::int64_t day = 0;             // local seconds of the day's start
  std::optional<std::int64_t> utc;  // the moment, where the summary keeps it
};

struct PeriodExtremes {
  std::string period;  // "all" or "2026"
  Extreme highestGust;
  Extreme highestMeanSpeed;  // of a day
  Extreme greatestWindRun;   // of a day
  Extreme lowestTemperature;
  Extreme lowestWindChill;
};

// All time first, then the years, oldest first.
std::vector<PeriodExtremes> FindStationExtremes(StationArchive& archive, std::int32_t station);

std::string ExtremesText(const std::string& station, const std::vector<PeriodExtremes>& periods,
                         const WindUnits& units);
std::string ExtremesCsv(const std::vector<PeriodExtremes>& periods, const WindUnits& units);
std::string ExtremesJson(const std::string& station, const std::vector<PeriodExtremes>& periods,
                         const WindUnits& units);
