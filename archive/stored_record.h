#pragma once

#include <cstdint>

#include "core/measurement_record.h"

// A record as the archive keeps it. Values are whole millionths of their unit (µm/s, µ°C,
// millionths of a Beaufort number): exact for every number a CSV file prints with six
// decimals, and three or four bytes each in the file instead of eight.
struct StoredRecord {
  std::int64_t time = 0;       // UTC, seconds since 1970
  std::int32_t utcOffset = 0;  // seconds east of UTC of the local time it was taken in
  std::int32_t seq = 0;        // order among the station's records of the same second
  std::int32_t interval = 0;   // seconds it stands for (the archive sets it)
  std::int64_t avgSpeed = 0;
  std::int64_t gustSpeed = 0;
  std::int32_t sector = 0;  // 0..15, 16 for no direction
  std::int64_t temperature = 0;
  std::int64_t windChillAvg = 0;
  std::int64_t windChillGust = 0;
  std::int64_t beaufortAvg = 0;
  std::int64_t beaufortGust = 0;
  bool madeUp = false;

  std::int64_t LocalSeconds() const { return time + utcOffset; }
  friend bool operator==(const StoredRecord&, const StoredRecord&) = default;
};

inline constexpr double kMillionths = 1e6;

// The value to six decimals, rounded as printf("%f") rounds it. Throws ArchiveError (BadInput)
// for what is not a finite number of at most 9e12.
std::int64_t ToMillionths(double value);
inline double FromMillionths(std::int64_t value) {
  return static_cast<double>(value) / kMillionths;
}

struct UtcTime;

// A captured or read record whose local time is placed at time.
StoredRecord ToStoredRecord(const MeasurementRecord& record, const UtcTime& time, bool madeUp);
// The same, its local time placed by this process's time zone.
StoredRecord ToStoredRecord(const MeasurementRecord& record, bool madeUp);
// The record with its local time, the values as floats.
MeasurementRecord ToMeasurementRecord(const StoredRecord& record);
