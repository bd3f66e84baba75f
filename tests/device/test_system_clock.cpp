#include <gtest/gtest.h>

#include <ctime>
#include <tuple>

#include "device/system_clock.h"

namespace {

auto Fields(const SystemTime& t) {
  return std::make_tuple(t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second);
}

// The seconds of the clock the program reads. Not std::time: on Linux it reads the coarse clock,
// which can still show the last second when the precise one has passed into the next.
std::time_t RealtimeSeconds() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now.tv_sec;
}

SystemTime FromLibrary(std::time_t seconds) {
  tm local{};
  localtime_r(&seconds, &local);
  SystemTime t;
  t.Year = static_cast<std::uint16_t>(local.tm_year + 1900);
  t.Month = static_cast<std::uint16_t>(local.tm_mon + 1);
  t.DayOfWeek = static_cast<std::uint16_t>(local.tm_wday);
  t.Day = static_cast<std::uint16_t>(local.tm_mday);
  t.Hour = static_cast<std::uint16_t>(local.tm_hour);
  t.Minute = static_cast<std::uint16_t>(local.tm_min);
  t.Second = static_cast<std::uint16_t>(local.tm_sec);
  return t;
}

TEST(SystemClock, TellsTheLocalTimeWithCalendarMonthsAndSundayAsDayZero) {
  SystemClock clock;
  const std::time_t before = RealtimeSeconds();
  const SystemTime now = clock.LocalTime();
  const std::time_t after = RealtimeSeconds();
  const SystemTime earliest = FromLibrary(before);
  const SystemTime latest = FromLibrary(after);
  EXPECT_LE(Fields(earliest), Fields(now));
  EXPECT_LE(Fields(now), Fields(latest));
  EXPECT_GE(now.Month, 1);
  EXPECT_LE(now.Month, 12);
  EXPECT_TRUE(now.DayOfWeek == earliest.DayOfWeek || now.DayOfWeek == latest.DayOfWeek);
  EXPECT_LT(now.Millisecond, 1000);
}

}  // namespace
