#include "archive/zone_placer.h"

UtcTime ZonePlacer::Place(const SystemTime& local) {
  const std::int64_t seconds = SecondsFromCivil(local);
  const std::int64_t minute = PeriodStart(seconds, 60);
  if (!known_ || minute != minute_) {
    const UtcTime placed = UtcFromLocal(local);
    known_ = true;
    minute_ = minute;
    offset_ = placed.offset;
    return placed;
  }
  return {seconds - offset_, offset_};
}
