#include "archive_tool/time_arguments.h"

#include "archive/civil_time.h"

namespace {

constexpr std::int64_t kDay = 86400;

// Exactly `count` digits at text[at...].
std::optional<unsigned> Digits(std::string_view text, std::size_t at, std::size_t count) {
  if (text.size() < at + count) return std::nullopt;
  unsigned value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  return value;
}

bool GoodYear(unsigned year) { return year >= 1970 && year <= 9999; }

}  // namespace

unsigned DaysInMonth(std::int64_t year, unsigned month) {
  const std::int64_t next =
      month == 12 ? DaysFromCivil(year + 1, 1, 1) : DaysFromCivil(year, month + 1, 1);
  return static_cast<unsigned>(next - DaysFromCivil(year, month, 1));
}

std::optional<LocalSpan> MonthSpan(std::string_view text) {
  const auto year = Digits(text, 0, 4);
  const auto month = Digits(text, 5, 2);
  if (text.size() != 7 || text[4] != '-' || !year || !month || !GoodYear(*year) || *month < 1 ||
      *month > 12) {
    return std::nullopt;
  }
  const std::int64_t first = DaysFromCivil(*year, *month, 1);
  return LocalSpan{first * kDay, (first + DaysInMonth(*year, *month)) * kDay};
}

std::optional<LocalSpan> YearSpan(std::string_view text) {
  const auto year = Digits(text, 0, 4);
  if (text.size() != 4 || !year || !GoodYear(*year)) return std::nullopt;
  return LocalSpan{DaysFromCivil(*year, 1, 1) * kDay, DaysFromCivil(*year + 1, 1, 1) * kDay};
}

std::optional<std::int64_t> LocalSecondsFromIso(std::string_view text, bool wholeDay) {
  const auto year = Digits(text, 0, 4);
  const auto month = Digits(text, 5, 2);
  const auto day = Digits(text, 8, 2);
  if (!year || !month || !day || text.size() < 10 || text[4] != '-' || text[7] != '-' ||
      !GoodYear(*year) || *month < 1 || *month > 12 || *day < 1 ||
      *day > DaysInMonth(*year, *month)) {
    return std::nullopt;
  }
  const std::int64_t dayStart = DaysFromCivil(*year, *month, *day) * kDay;
  if (text.size() == 10) return wholeDay ? dayStart + kDay : dayStart;
  if (text[10] != 'T' && text[10] != ' ') return std::nullopt;
  const auto hour = Digits(text, 11, 2);
  const auto minute = Digits(text, 14, 2);
  if (!hour || !minute || text[13] != ':' || *hour > 23 || *minute > 59) return std::nullopt;
  unsigned second = 0;
  if (text.size() == 19) {
    const auto seconds = Digits(text, 17, 2);
    if (text[16] != ':' || !seconds || *seconds > 59) return std::nullopt;
    second = *seconds;
  } else if (text.size() != 16) {
    return std::nullopt;
  }
  return dayStart + *hour * 3600 + *minute * 60 + second;
}
