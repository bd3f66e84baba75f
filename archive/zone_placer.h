#pragma once

#include <cstdint>

#include "archive/civil_time.h"
#include "core/system_time.h"

// UtcFromLocal for a stream of records (a file's worth, or a capture). mktime reads the time
// zone file again on every call, which would cost more than parsing a row; the clocks change
// only on a whole minute, so one answer serves all records of the same local minute.
class ZonePlacer {
 public:
  UtcTime Place(const SystemTime& local);

 private:
  bool known_ = false;
  std::int64_t minute_ = 0;  // local seconds / 60
  std::int32_t offset_ = 0;
};
