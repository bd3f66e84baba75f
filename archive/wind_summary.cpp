#include "archive/wind_summary.h"

#include <cmath>
#include <numbers>

namespace {

struct UnitVector {
  double east;
  double north;
};

const std::array<UnitVector, 16>& SectorVectors() {
  static const std::array<UnitVector, 16> vectors = [] {
    std::array<UnitVector, 16> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
      const double radians = static_cast<double>(i) * 22.5 * std::numbers::pi / 180.0;
      table[i] = {std::sin(radians), std::cos(radians)};
    }
    return table;
  }();
  return vectors;
}

void KeepLower(std::int64_t& value, std::int64_t& time, std::int64_t candidate,
               std::int64_t candidateTime) {
  if (candidate < value) {
    value = candidate;
    time = candidateTime;
  }
}

void KeepHigher(std::int64_t& value, std::int64_t& time, std::int64_t candidate,
                std::int64_t candidateTime) {
  if (candidate > value) {
    value = candidate;
    time = candidateTime;
  }
}

}  // namespace

void AddRecord(WindSummary& s, const StoredRecord& r) {
  const double speed = FromMillionths(r.avgSpeed);
  const double temperature = FromMillionths(r.temperature);
  if (s.count == 0) {
    s.speedMin = s.speedMax = r.avgSpeed;
    s.speedMinTime = s.speedMaxTime = r.time;
    s.gustMax = r.gustSpeed;
    s.gustMaxTime = r.time;
    s.gustMaxSector = r.sector;
    s.temperatureMin = s.temperatureMax = r.temperature;
    s.temperatureMinTime = s.temperatureMaxTime = r.time;
    s.windChillMin = r.windChillAvg;
    s.windChillMinTime = r.time;
  } else {
    KeepLower(s.speedMin, s.speedMinTime, r.avgSpeed, r.time);
    KeepHigher(s.speedMax, s.speedMaxTime, r.avgSpeed, r.time);
    if (r.gustSpeed > s.gustMax) {
      s.gustMax = r.gustSpeed;
      s.gustMaxTime = r.time;
      s.gustMaxSector = r.sector;
    }
    KeepLower(s.temperatureMin, s.temperatureMinTime, r.temperature, r.time);
    KeepHigher(s.temperatureMax, s.temperatureMaxTime, r.temperature, r.time);
    KeepLower(s.windChillMin, s.windChillMinTime, r.windChillAvg, r.time);
  }
  ++s.count;
  s.duration += r.interval;
  s.speedSum += speed;
  const double run = speed * r.interval;
  s.windRun += run;
  s.temperatureSum += temperature;
  s.temperatureTimeSum += temperature * r.interval;
  const bool calm = r.avgSpeed < kCalmBelow;
  if (calm) ++s.calmCount;
  if (r.sector >= 0 && r.sector < 16) {
    const auto sector = static_cast<std::size_t>(r.sector);
    s.vectorEast += speed * SectorVectors()[sector].east;
    s.vectorNorth += speed * SectorVectors()[sector].north;
    if (!calm) {
      ++s.sectorCount[sector];
      s.sectorRun[sector] += run;
    }
  }
}

void Merge(WindSummary& s, const WindSummary& later) {
  if (later.count == 0) return;
  if (s.count == 0) {
    s = later;
    return;
  }
  KeepLower(s.speedMin, s.speedMinTime, later.speedMin, later.speedMinTime);
  KeepHigher(s.speedMax, s.speedMaxTime, later.speedMax, later.speedMaxTime);
  if (later.gustMax > s.gustMax) {
    s.gustMax = later.gustMax;
    s.gustMaxTime = later.gustMaxTime;
    s.gustMaxSector = later.gustMaxSector;
  }
  KeepLower(s.temperatureMin, s.temperatureMinTime, later.temperatureMin, later.temperatureMinTime);
  KeepHigher(s.temperatureMax, s.temperatureMaxTime, later.temperatureMax,
             later.temperatureMaxTime);
  KeepLower(s.windChillMin, s.windChillMinTime, later.windChillMin, later.windChillMinTime);
  s.count += later.count;
  s.duration += later.duration;
  s.speedSum += later.speedSum;
  s.windRun += later.windRun;
  s.vectorEast += later.vectorEast;
  s.vectorNorth += later.vectorNorth;
  s.calmCount += later.calmCount;
  s.temperatureSum += later.temperatureSum;
  s.temperatureTimeSum += later.temperatureTimeSum;
  for (std::size_t i = 0; i < 16; ++i) {
    s.sectorCount[i] += later.sectorCount[i];
    s.sectorRun[i] += later.sectorRun[i];
  }
}

double MeanSpeed(const WindSummary& s) {
  if (s.duration > 0) return s.windRun / static_cast<double>(s.duration);
  return s.count > 0 ? s.speedSum / static_cast<double>(s.count) : 0.0;
}

double MeanTemperature(const WindSummary& s) {
  if (s.duration > 0) return s.temperatureTimeSum / static_cast<double>(s.duration);
  return s.count > 0 ? s.temperatureSum / static_cast<double>(s.count) : 0.0;
}

std::optional<double> VectorMeanDirection(const WindSummary& s) {
  // Below a millimetre per second of resultant per record the directions cancel out.
  if (std::hypot(s.vectorEast, s.vectorNorth) <
      1e-3 * static_cast<double>(std::max<std::int64_t>(s.count, 1))) {
    return std::nullopt;
  }
  double degrees = std::atan2(s.vectorEast, s.vectorNorth) * 180.0 / std::numbers::pi;
  if (degrees < 0.0) degrees += 360.0;
  if (degrees >= 360.0) degrees -= 360.0;
  return degrees;
}

std::int32_t SectorOfDegrees(double degrees) {
  return static_cast<std::int32_t>(std::floor(degrees / 22.5 + 0.5)) % 16;
}
