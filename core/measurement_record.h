#pragma once

#include <cstdint>

#include "core/system_time.h"

// One measurement row: a processed packet or a line of a data file. Also serves as the
// accumulator of a trend-chart point, which is the only user of SectorAccumulator.
struct MeasurementRecord {
  SystemTime Time;
  float AvgSpeed = 0.0f;    // m/s
  float GustSpeed = 0.0f;   // m/s
  std::int32_t Sector = 0;  // DirectionSector, 0..15 (16 = no direction)
  std::int32_t SectorAccumulator = 0;
  float Temperature = 0.0f;    // degrees C
  float WindChillAvg = 0.0f;   // degrees C
  float WindChillGust = 0.0f;  // degrees C
  float BeaufortAvg = 0.0f;    // 0..12
  float BeaufortGust = 0.0f;   // 0..12
};
