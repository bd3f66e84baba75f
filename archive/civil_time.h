#pragma once

#include <cstdint>

#include "core/system_time.h"

// Calendar arithmetic on seconds counted as if local time were UTC ("local seconds"), so that
// days, hours and minutes of local time are plain divisions and no time zone is consulted.

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);

// The fields of local seconds; the millisecond is 0.
SystemTime CivilFromSeconds(std::int64_t localSeconds);

// The local seconds of a time's fields (its milliseconds dropped).
std::int64_t SecondsFromCivil(const SystemTime& time);

// Floor of seconds to a multiple of a period, also before 1970.
std::int64_t PeriodStart(std::int64_t seconds, std::int64_t period);

// A record's local time as UTC seconds and the zone's offset then (seconds east of UTC), by the
// time zone of this process. Where a local time happens twice (the hour the clocks go back) the
// C library picks one of them.
struct UtcTime {
  std::int64_t utc = 0;
  std::int32_t offset = 0;
};
UtcTime UtcFromLocal(const SystemTime& local);
