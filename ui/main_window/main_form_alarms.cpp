#include <QLineEdit>
#include <QPushButton>

#include "alarm_limit.h"
#include "alarm_switch.h"
#include "alarms_form.h"
#include "limit_stepping.h"
#include "main_form.h"

// The main window carries twins of four of the alarms window's limits. A user's click is
// repeated on the alarms window (null sender); a repeated click goes no further.

void TMainForm::ShowAlarmsClick(QObject* /*sender*/) {
  if (AlarmsForm) AlarmsForm->exec();
}

void TMainForm::CheckAlarms(float temperature, float avgSpeed, float gustSpeed,
                            float windChillAvg) {
  if (AlarmsForm) AlarmsForm->CheckAlarms(temperature, avgSpeed, gustSpeed, windChillAvg);
}

void TMainForm::UpDown_TempAlarmHiClick(QObject* sender, UpDownButton button) {
  StepLimitEdit(*Edit_TempAlarmHi, button, LimitBoundsOf(AlarmLimit::TempHi));
  if (sender && AlarmsForm) AlarmsForm->UpDown_TempHiClick(nullptr, button);
}

void TMainForm::UpDown_TempAlarmLoClick(QObject* sender, UpDownButton button) {
  StepLimitEdit(*Edit_TempAlarmLo, button, LimitBoundsOf(AlarmLimit::TempLo));
  if (sender && AlarmsForm) AlarmsForm->UpDown_TempLoClick(nullptr, button);
}

void TMainForm::UpDown_WindAlarmHiClick(QObject* sender, UpDownButton button) {
  StepLimitEdit(*Edit_WindAlarmHi, button, LimitBoundsOf(AlarmLimit::WindAvgHi));
  if (sender && AlarmsForm) AlarmsForm->UpDown_WindAvgHiClick(nullptr, button);
}

void TMainForm::UpDown_WindAlarmLoClick(QObject* sender, UpDownButton button) {
  StepLimitEdit(*Edit_WindAlarmLo, button, LimitBoundsOf(AlarmLimit::WindAvgLo));
  if (sender && AlarmsForm) AlarmsForm->UpDown_WindAvgLoClick(nullptr, button);
}

void TMainForm::Button_TempAlarmHiClick(QObject* sender) {
  ToggleAlarmSwitch(TempAlarmHiArmed, *Button_TempAlarmHi);
  if (sender && AlarmsForm) AlarmsForm->Button_TempHiClick(nullptr);
}

void TMainForm::Button_TempAlarmLoClick(QObject* sender) {
  ToggleAlarmSwitch(TempAlarmLoArmed, *Button_TempAlarmLo);
  if (sender && AlarmsForm) AlarmsForm->Button_TempLoClick(nullptr);
}

void TMainForm::Button_WindAlarmHiClick(QObject* sender) {
  ToggleAlarmSwitch(WindAlarmHiArmed, *Button_WindAlarmHi);
  if (sender && AlarmsForm) AlarmsForm->Button_WindAvgHiClick(nullptr);
}

void TMainForm::Button_WindAlarmLoClick(QObject* sender) {
  ToggleAlarmSwitch(WindAlarmLoArmed, *Button_WindAlarmLo);
  if (sender && AlarmsForm) AlarmsForm->Button_WindAvgLoClick(nullptr);
}
