#include "alarm_switch.h"

#include <QAbstractButton>

void ToggleAlarmSwitch(int& armed, QAbstractButton& button) {
  armed = armed != 0 ? 0 : 1;
  button.setText(QString::fromLatin1(AlarmSwitchCaption(armed)));
}

const char* AlarmSwitchCaption(int armed) { return armed != 0 ? "Vyp" : "Zap"; }
