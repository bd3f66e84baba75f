#include "archive/civil_time.h"

#include <ctime>

// Howard Hinnant's days_from_civil and civil_from_days.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3u : 9u)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

std::int64_t PeriodStart(std::int64_t seconds, std::int64_t period) {
  std::int64_t start = seconds / period * period;
  if (start > seconds) start -= period;
  return start;
}

SystemTime CivilFromSeconds(std::int64_t localSeconds) {
  const std::int64_t days = PeriodStart(localSeconds, 86400) / 86400;
  const std::int64_t secondOfDay = localSeconds - days * 86400;
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto dayOfEra = static_cast<unsigned>(z - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned mp = (5 * dayOfYear + 2) / 153;
  const unsigned day = dayOfYear - (153 * mp + 2) / 5 + 1;
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
  SystemTime time;
  time.Year = static_cast<std::uint16_t>(year);
  time.Month = static_cast<std::uint16_t>(month);
  time.Day = static_cast<std::uint16_t>(day);
  // 1970-01-01 was a Thursday (4); Sunday is 0.
  time.DayOfWeek = static_cast<std::uint16_t>(((days % 7) + 11) % 7);
  time.Hour = static_cast<std::uint16_t>(secondOfDay / 3600);
  time.Minute = static_cast<std::uint16_t>(secondOfDay / 60 % 60);
  time.Second = static_cast<std::uint16_t>(secondOfDay % 60);
  return time;
}

std::int64_t SecondsFromCivil(const SystemTime& time) {
  return DaysFromCivil(time.Year, time.Month, time.Day) * 86400 + time.Hour * 3600 +
         time.Minute * 60 + time.Second;
}

UtcTime UtcFromLocal(const SystemTime& local) {
  std::tm fields{};
  fields.tm_year = local.Year - 1900;
  fields.tm_mon = local.Month - 1;
  fields.tm_mday = local.Day;
  fields.tm_hour = local.Hour;
  fields.tm_min = local.Minute;
  fields.tm_sec = local.Second;
  fields.tm_isdst = -1;
  const std::time_t utc = std::mktime(&fields);
  const std::int64_t localSeconds = SecondsFromCivil(local);
  if (utc == static_cast<std::time_t>(-1)) return {localSeconds, 0};
  // mktime normalised the fields to the time it chose; their distance from UTC is the offset.
  SystemTime chosen;
  chosen.Year = static_cast<std::uint16_t>(fields.tm_year + 1900);
  chosen.Month = static_cast<std::uint16_t>(fields.tm_mon + 1);
  chosen.Day = static_cast<std::uint16_t>(fields.tm_mday);
  chosen.Hour = static_cast<std::uint16_t>(fields.tm_hour);
  chosen.Minute = static_cast<std::uint16_t>(fields.tm_min);
  chosen.Second = static_cast<std::uint16_t>(fields.tm_sec);
  const auto offset = static_cast<std::int32_t>(SecondsFromCivil(chosen) - utc);
  return {localSeconds - offset, offset};
}
