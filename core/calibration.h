#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "core/file_store.h"

// One point of the calibration table: at Frequency (mHz) the wind speed is Frequency / Constant.
struct CalibrationEntry {
  float Frequency = 0.0f;  // mHz
  float Constant = 0.0f;   // mHz per m/s
  friend bool operator==(const CalibrationEntry&, const CalibrationEntry&) = default;
};

// In file or editor order; the conversion expects rising frequencies but nothing enforces it.
using CalibrationTable = std::vector<CalibrationEntry>;

inline constexpr const char* kCalibrationFileName = "anemometer.cal";

// The nine built-in points used when anemometer.cal cannot be loaded.
CalibrationTable DefaultCalibrationTable();

// Wind speed in m/s for a pulse frequency in mHz, interpolating the constant between the
// table's points. 0 for f <= 0, for an empty table, for a constant of 0 or less and for any
// result that would not be a finite number. The caller holds DataLock while this runs.
float SpeedFromFrequency(const CalibrationTable& table, std::int32_t frequency);

// Reads one "%f %f" line per entry into table (emptied first). 0 on success; -1 when the file
// cannot be read, is not a regular file, is larger than kProgramFileSizeLimit, or a line is not
// two finite numbers (rows read so far stay).
int LoadCalibration(FileStore& files, const std::filesystem::path& file, CalibrationTable& table);

// Replaces the file with every entry as "%f %f\n", all or nothing. 0 on success; -1 on any
// failure, and the file is then as it was.
int SaveCalibration(FileStore& files, const std::filesystem::path& file,
                    const CalibrationTable& table);
