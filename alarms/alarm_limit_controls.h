#pragma once

#include <QRect>
#include <QString>

#include "alarms/alarm_limit.h"

class AlarmLimits;
class QWidget;

// Where one limit's three controls sit on their parent: the read-only limit, its spinner and
// its switch.
struct AlarmLimitPlaces {
  QRect edit;
  QRect spinner;
  QRect button;
};

// Creates one limit's controls on parent, named Edit_<name>, UpDown_<name> and Button_<name>,
// on either window. A spinner click steps the limit, the switch arms or disarms it, and the
// controls show the limit now and whenever it changes, from whichever window.
void CreateAlarmLimitControls(QWidget* parent, const QString& name, const AlarmLimitPlaces& places,
                              AlarmLimits& limits, AlarmLimit limit);
