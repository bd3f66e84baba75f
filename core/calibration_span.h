#pragma once

#include <cstdint>

#include "core/calibration.h"

// What the speed conversion needs from the table for one frequency. Finding it is the only
// part that reads the table (under DataLock in the program); the arithmetic runs on the copy.
enum class CalibrationSpanKind {
  Empty,        // no row to take a constant from
  Interpolate,  // lower <= f < upper; lower is (0, 0) below the first row
  AboveTable,   // f at or above every row: divide by the last row's constant
};

struct CalibrationSpan {
  CalibrationSpanKind Kind = CalibrationSpanKind::Empty;
  CalibrationEntry Lower;
  CalibrationEntry Upper;
  float LastConstant = 0.0f;
};

// frequency > 0.
CalibrationSpan FindCalibrationSpan(const CalibrationTable& table, std::int32_t frequency);

// Wind speed in m/s; 0 when the span gives no finite positive constant or no finite speed.
float SpeedFromSpan(const CalibrationSpan& span, std::int32_t frequency);
