#include "archive/stored_record.h"

#include <cmath>

#include "archive/archive_error.h"
#include "archive/civil_time.h"

std::int64_t ToMillionths(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 9e12) {
    throw ArchiveError(ArchiveFault::BadInput, "a value the archive cannot keep");
  }
  // A float times 10^6 is exact in a double (24 + 14 significant bits), so this rounds the true
  // value, half to even, as glibc's printf does.
  return static_cast<std::int64_t>(std::nearbyint(value * kMillionths));
}

StoredRecord ToStoredRecord(const MeasurementRecord& record, bool madeUp) {
  return ToStoredRecord(record, UtcFromLocal(record.Time), madeUp);
}

StoredRecord ToStoredRecord(const MeasurementRecord& record, const UtcTime& time, bool madeUp) {
  StoredRecord stored;
  stored.time = time.utc;
  stored.utcOffset = time.offset;
  stored.avgSpeed = ToMillionths(record.AvgSpeed);
  stored.gustSpeed = ToMillionths(record.GustSpeed);
  stored.sector = record.Sector;
  stored.temperature = ToMillionths(record.Temperature);
  stored.windChillAvg = ToMillionths(record.WindChillAvg);
  stored.windChillGust = ToMillionths(record.WindChillGust);
  stored.beaufortAvg = ToMillionths(record.BeaufortAvg);
  stored.beaufortGust = ToMillionths(record.BeaufortGust);
  stored.madeUp = madeUp;
  return stored;
}

MeasurementRecord ToMeasurementRecord(const StoredRecord& stored) {
  MeasurementRecord record;
  record.Time = CivilFromSeconds(stored.LocalSeconds());
  record.AvgSpeed = static_cast<float>(FromMillionths(stored.avgSpeed));
  record.GustSpeed = static_cast<float>(FromMillionths(stored.gustSpeed));
  record.Sector = stored.sector;
  record.Temperature = static_cast<float>(FromMillionths(stored.temperature));
  record.WindChillAvg = static_cast<float>(FromMillionths(stored.windChillAvg));
  record.WindChillGust = static_cast<float>(FromMillionths(stored.windChillGust));
  record.BeaufortAvg = static_cast<float>(FromMillionths(stored.beaufortAvg));
  record.BeaufortGust = static_cast<float>(FromMillionths(stored.beaufortGust));
  return record;
}
