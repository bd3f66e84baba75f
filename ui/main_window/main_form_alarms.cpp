#include "alarms/alarms_form.h"
#include "ui/main_window/main_form.h"

// The main window carries twins of four of the alarms window's limits (temperature and average
// wind). Both windows change and show the same AlarmLimits, so they always agree.

void TMainForm::ShowAlarmsClick(QObject* /*sender*/) {
  if (AlarmsForm) AlarmsForm->exec();
}

void TMainForm::CheckAlarms(float temperature, float avgSpeed, float gustSpeed,
                            float windChillAvg) {
  if (AlarmsForm) AlarmsForm->CheckAlarms(temperature, avgSpeed, gustSpeed, windChillAvg);
}
