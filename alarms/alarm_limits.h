#pragma once

#include <QObject>
#include <array>

#include "alarms/alarm_limit.h"
#include "alarms/up_down.h"

// The eight alarm limits and their switches, for the whole run: what every check compares with,
// and what the alarms window and the main window's four twin controls show. Either window
// changes them here; Changed tells every window that shows the limit to show it anew, so the two
// windows cannot drift apart. Every run starts with all limits at 0 and all disarmed; nothing is
// stored.
class AlarmLimits : public QObject {
  Q_OBJECT
 public:
  explicit AlarmLimits(QObject* parent = nullptr);

  int Value(AlarmLimit limit) const;
  bool IsArmed(AlarmLimit limit) const;

  // One spinner click: up raises the limit while it is below its upper bound, down lowers it
  // while it is above its lower bound.
  void Step(AlarmLimit limit, UpDownButton button);
  void ToggleArmed(AlarmLimit limit);

 signals:
  void Changed(AlarmLimit limit);

 private:
  std::array<int, kAlarmLimitCount> values_{};
  std::array<bool, kAlarmLimitCount> armed_{};
};

// What a limit's switch button shows: what a click will do next ("Zap" while disarmed, "Vyp"
// while armed).
const char* AlarmSwitchCaption(bool armed);
