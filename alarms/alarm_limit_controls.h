#pragma once

#include "alarm_limit.h"

class AlarmLimits;
class QLineEdit;
class QObject;
class QPushButton;
class TUpDown;

// One limit's controls on either window: the read-only limit, its spinner and its switch.
struct AlarmLimitControls {
  QLineEdit* edit = nullptr;
  TUpDown* upDown = nullptr;
  QPushButton* button = nullptr;
};

// Lets the controls change the limit (a spinner click steps it, the switch arms or disarms it)
// and shows the limit in them now and whenever it changes, from whichever window. The
// connections end with context.
void BindAlarmLimitControls(AlarmLimits& limits, AlarmLimit limit,
                            const AlarmLimitControls& controls, QObject* context);
