#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The times the tool's options name, as local seconds (archive/civil_time.h). Everything is
// strict: digits where digits belong, a real calendar date, years 1970 to 9999.

// A span of local seconds [from, to).
struct LocalSpan {
  std::int64_t from = 0;
  std::int64_t to = 0;
};

// "YYYY-MM": the month's days.
std::optional<LocalSpan> MonthSpan(std::string_view text);
// "YYYY": the year's days.
std::optional<LocalSpan> YearSpan(std::string_view text);

// "YYYY-MM-DD", "YYYY-MM-DDTHH:MM" or "YYYY-MM-DDTHH:MM:SS" (a space for the T also does). A bare
// date is the start of its day, or with wholeDay the start of the next one, so that --to with a
// date includes that day.
std::optional<std::int64_t> LocalSecondsFromIso(std::string_view text, bool wholeDay);

// Days in a month of the Gregorian calendar.
unsigned DaysInMonth(std::int64_t year, unsigned month);
