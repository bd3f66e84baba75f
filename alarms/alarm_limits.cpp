#include "alarms/alarm_limits.h"

AlarmLimits::AlarmLimits(QObject* parent) : QObject(parent) {}

int AlarmLimits::Value(AlarmLimit limit) const { return values_.at(IndexOf(limit)); }

bool AlarmLimits::IsArmed(AlarmLimit limit) const { return armed_.at(IndexOf(limit)); }

void AlarmLimits::Step(AlarmLimit limit, UpDownButton button) {
  int& value = values_.at(IndexOf(limit));
  const LimitBounds bounds = LimitBoundsOf(limit);
  const int stepped = button == UpDownButton::Up ? (value < bounds.upper ? value + 1 : value)
                                                 : (value > bounds.lower ? value - 1 : value);
  if (stepped == value) return;
  value = stepped;
  emit Changed(limit);
}

void AlarmLimits::ToggleArmed(AlarmLimit limit) {
  bool& armed = armed_.at(IndexOf(limit));
  armed = !armed;
  emit Changed(limit);
}

const char* AlarmSwitchCaption(bool armed) { return armed ? "Vyp" : "Zap"; }
