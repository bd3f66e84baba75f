#pragma once

#include <QString>
#include <array>
#include <cstddef>

// The eight alarm limits, in the order in which every sample is checked against them.
enum class AlarmLimit {
  TempHi,
  TempLo,
  WindAvgHi,
  WindAvgLo,
  WindGustHi,
  WindGustLo,
  WindChillHi,
  WindChillLo,
};

inline constexpr std::size_t kAlarmLimitCount = 8;

inline constexpr std::array<AlarmLimit, kAlarmLimitCount> kAlarmLimitsInCheckOrder = {
    AlarmLimit::TempHi,      AlarmLimit::TempLo,      AlarmLimit::WindAvgHi,
    AlarmLimit::WindAvgLo,   AlarmLimit::WindGustHi,  AlarmLimit::WindGustLo,
    AlarmLimit::WindChillHi, AlarmLimit::WindChillLo,
};

constexpr std::size_t IndexOf(AlarmLimit limit) { return static_cast<std::size_t>(limit); }

// The four values of one sample that the limits watch, in the order CheckAlarms takes them.
enum class AlarmQuantity { Temperature, AverageSpeed, GustSpeed, WindChill };

// Inclusive range a spinner steps a limit within, on either window.
struct LimitBounds {
  int lower = 0;
  int upper = 0;
};

inline constexpr LimitBounds kTemperatureLimitBounds{-99, 99};
inline constexpr LimitBounds kSpeedLimitBounds{0, 99};

// "TempHi", "WindChillLo" and so on: the part its controls' names share.
const char* AlarmLimitName(AlarmLimit limit);

AlarmQuantity QuantityOf(AlarmLimit limit);
bool IsUpperLimit(AlarmLimit limit);
LimitBounds LimitBoundsOf(AlarmLimit limit);

// The "Typ alarmu" text of the limit's event rows. One shared string per limit, so a long
// event list does not hold a copy per row.
const QString& AlarmTypeText(AlarmLimit limit);

// An upper limit fires above it, a lower limit below it; equality never fires, nor does NaN.
bool LimitFires(AlarmLimit limit, float value, int limitValue);
