#pragma once

#include <cstdint>

// Local time in the eight-field layout the anemometer's records have always used
// (year, month, day of week, day, hour, minute, second, millisecond).
struct SystemTime {
  std::uint16_t Year = 0;
  std::uint16_t Month = 0;
  std::uint16_t DayOfWeek = 0;
  std::uint16_t Day = 0;
  std::uint16_t Hour = 0;
  std::uint16_t Minute = 0;
  std::uint16_t Second = 0;
  std::uint16_t Millisecond = 0;

  friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

static_assert(sizeof(SystemTime) == 16, "SystemTime must keep its 16-byte layout");
