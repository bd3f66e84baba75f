#include "device/system_clock.h"

#include <ctime>

SystemTime SystemClock::LocalTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  SystemTime time;
  time.Year = static_cast<std::uint16_t>(local.tm_year + 1900);
  time.Month = static_cast<std::uint16_t>(local.tm_mon + 1);
  time.DayOfWeek = static_cast<std::uint16_t>(local.tm_wday);  // 0 is Sunday
  time.Day = static_cast<std::uint16_t>(local.tm_mday);
  time.Hour = static_cast<std::uint16_t>(local.tm_hour);
  time.Minute = static_cast<std::uint16_t>(local.tm_min);
  // A leap second is shown as the last ordinary one.
  time.Second = static_cast<std::uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
  time.Millisecond = static_cast<std::uint16_t>(now.tv_nsec / 1'000'000);
  return time;
}
