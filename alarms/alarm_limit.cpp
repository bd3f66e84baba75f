#include "alarms/alarm_limit.h"

namespace {

struct LimitDefinition {
  const char* name;
  AlarmQuantity quantity;
  bool upper;
  LimitBounds bounds;
  const char* typeText;
};

// Wind chill is a temperature and matters most below freezing, so its limits step like the
// temperature limits, not like the speeds.
constexpr std::array<LimitDefinition, kAlarmLimitCount> kDefinitions = {{
    {"TempHi", AlarmQuantity::Temperature, true, kTemperatureLimitBounds, "Teplota horní mez"},
    {"TempLo", AlarmQuantity::Temperature, false, kTemperatureLimitBounds, "Teplota dolní mez"},
    {"WindAvgHi", AlarmQuantity::AverageSpeed, true, kSpeedLimitBounds, "Rychlost větru horní mez"},
    {"WindAvgLo", AlarmQuantity::AverageSpeed, false, kSpeedLimitBounds,
     "Rychlost větru dolní mez"},
    {"WindGustHi", AlarmQuantity::GustSpeed, true, kSpeedLimitBounds, "Náraz větru horní mez"},
    {"WindGustLo", AlarmQuantity::GustSpeed, false, kSpeedLimitBounds, "Náraz větru dolní mez"},
    {"WindChillHi", AlarmQuantity::WindChill, true, kTemperatureLimitBounds,
     "Wind chill horní mez"},
    {"WindChillLo", AlarmQuantity::WindChill, false, kTemperatureLimitBounds,
     "Wind chill dolní mez"},
}};

const LimitDefinition& Definition(AlarmLimit limit) { return kDefinitions.at(IndexOf(limit)); }

}  // namespace

const char* AlarmLimitName(AlarmLimit limit) { return Definition(limit).name; }

AlarmQuantity QuantityOf(AlarmLimit limit) { return Definition(limit).quantity; }

bool IsUpperLimit(AlarmLimit limit) { return Definition(limit).upper; }

LimitBounds LimitBoundsOf(AlarmLimit limit) { return Definition(limit).bounds; }

const QString& AlarmTypeText(AlarmLimit limit) {
  static const std::array<QString, kAlarmLimitCount> texts = [] {
    std::array<QString, kAlarmLimitCount> result;
    for (AlarmLimit each : kAlarmLimitsInCheckOrder) {
      result.at(IndexOf(each)) = QString::fromUtf8(Definition(each).typeText);
    }
    return result;
  }();
  return texts.at(IndexOf(limit));
}

bool LimitFires(AlarmLimit limit, float value, int limitValue) {
  // Compared as real numbers: a limit of 20 is exceeded by 20.01.
  const double measured = static_cast<double>(value);
  const double bound = static_cast<double>(limitValue);
  return IsUpperLimit(limit) ? measured > bound : measured < bound;
}
