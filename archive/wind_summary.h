#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "archive/stored_record.h"

// What the archive keeps of a period (a minute, an hour, a day), built so that the summary of
// any longer period is a merge of shorter ones: sums rather than means, extremes with their
// times. Speeds and temperatures in sums are in SI units; extremes are millionths as in
// StoredRecord; times are UTC seconds.
struct WindSummary {
  std::int64_t count = 0;
  std::int64_t duration = 0;  // seconds: the records' intervals
  double speedSum = 0.0;      // m/s, for the plain mean where no interval is known
  double windRun = 0.0;       // m: average speed times interval, the time-weighted speed sum
  std::int64_t speedMin = 0, speedMinTime = 0;
  std::int64_t speedMax = 0, speedMaxTime = 0;
  std::int64_t gustMax = 0, gustMaxTime = 0;
  std::int32_t gustMaxSector = 16;
  // Speed-weighted unit vectors of the direction, east and north (m/s): the vector mean.
  double vectorEast = 0.0, vectorNorth = 0.0;
  std::int64_t calmCount = 0;
  double temperatureSum = 0.0;      // °C
  double temperatureTimeSum = 0.0;  // °C·s
  std::int64_t temperatureMin = 0, temperatureMinTime = 0;
  std::int64_t temperatureMax = 0, temperatureMaxTime = 0;
  std::int64_t windChillMin = 0, windChillMinTime = 0;  // of the average speed's wind chill
  // Records and wind run per direction sector, calm records and records without a direction
  // left out: a wind rose of the period.
  std::array<std::int64_t, 16> sectorCount{};
  std::array<double, 16> sectorRun{};

  friend bool operator==(const WindSummary&, const WindSummary&) = default;
};

// Below this average speed a record counts as calm (Beaufort 0).
inline constexpr std::int64_t kCalmBelow = 300000;  // µm/s

// Adds a record; records must come in the order of their time (and seq), so that equal
// extremes keep the first time and sums are added in one fixed order.
void AddRecord(WindSummary& summary, const StoredRecord& record);
// Adds a later period's summary to an earlier one's.
void Merge(WindSummary& summary, const WindSummary& later);

// Time-weighted mean where the records' intervals are known, else the plain mean; m/s, °C.
double MeanSpeed(const WindSummary& summary);
double MeanTemperature(const WindSummary& summary);
// Degrees clockwise from north, 0 ≤ d < 360; none when the wind was calm throughout or the
// directions cancel out.
std::optional<double> VectorMeanDirection(const WindSummary& summary);
// The compass sector (0..15) of a direction in degrees.
std::int32_t SectorOfDegrees(double degrees);
