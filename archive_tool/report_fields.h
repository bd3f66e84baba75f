#pragma once

#include <cstdint>
#include <string>

#include "archive/wind_summary.h"

// Pieces the reports share: dates, times and directions as text.

// "YYYY-MM-DD" of local seconds.
std::string LocalDateText(std::int64_t localSeconds);
// A summary's extreme times are UTC; they are shown in this computer's time zone, the one the
// records were placed by when they were imported or captured here.
std::int64_t LocalSecondsOfUtc(std::int64_t utc);
// "HH:MM" and "YYYY-MM-DDTHH:MM:SS" of a UTC time, in local time.
std::string LocalClockText(std::int64_t utc);
std::string LocalIsoText(std::int64_t utc);
// "YYYY-MM-DDTHH:MM:SS" of local seconds.
std::string LocalSecondsIsoText(std::int64_t localSeconds);
// The compass name of the vector mean direction, "---" when there is none.
std::string DominantDirection(const WindSummary& summary);
