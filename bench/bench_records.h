#pragma once

// A record of the benchmarks' made-up station at a UTC second: speeds and temperature that vary
// with the time, and a direction that turns one sector every sectorSeconds.

#include <cstdint>

#include "archive/stored_record.h"

inline StoredRecord SampleRecord(std::int64_t time, std::int64_t sectorSeconds) {
  StoredRecord r;
  r.time = time;
  r.utcOffset = 3600;
  r.avgSpeed = 2000000 + time % 7 * 310000;
  r.gustSpeed = r.avgSpeed + 1500000;
  r.sector = static_cast<std::int32_t>(time / sectorSeconds % 16);
  r.temperature = 8250000 + time % 13 * 100000;
  r.windChillAvg = r.temperature - 2000000;
  r.windChillGust = r.temperature - 3500000;
  r.beaufortAvg = 2000000;
  r.beaufortGust = 3000000;
  return r;
}
