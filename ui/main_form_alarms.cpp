#include "main_form.h"

void TMainForm::ShowalarmsClick(QObject* /*sender*/) {}

void TMainForm::CheckAlarms(float /*temperature*/, float /*avgSpeed*/, float /*gustSpeed*/,
                            float /*windChillAvg*/) {}

void TMainForm::UpDown_TempAlarmHiClick(QObject* /*sender*/, UpDownButton /*button*/) {}
void TMainForm::UpDown_TempAlarmLoClick(QObject* /*sender*/, UpDownButton /*button*/) {}
void TMainForm::UpDown_WindAlarmHiClick(QObject* /*sender*/, UpDownButton /*button*/) {}
void TMainForm::UpDown_WindAlarmLoClick(QObject* /*sender*/, UpDownButton /*button*/) {}

void TMainForm::Button_TempAlarmHiClick(QObject* /*sender*/) {}
void TMainForm::Button_TempAlarmLoClick(QObject* /*sender*/) {}
void TMainForm::Button_WindAlarmHiClick(QObject* /*sender*/) {}
void TMainForm::Button_WindAlarmLoClick(QObject* /*sender*/) {}
