#pragma once

#include "up_down.h"

class QObject;

// The main window's side of the four limits it shares with the alarms window (temperature
// and average wind, upper and lower). A click on either window is repeated on the other:
// a handler called with a control as sender does its own work and then calls its twin with
// a null sender; a handler called with a null sender never calls onward. Each window steps
// its own edit, so the repeat copies the click, not the value.
class AlarmTwinWindow {
 public:
  virtual ~AlarmTwinWindow() = default;

  virtual void UpDown_TempAlarmHiClick(QObject* sender, UpDownButton button) = 0;
  virtual void UpDown_TempAlarmLoClick(QObject* sender, UpDownButton button) = 0;
  virtual void UpDown_WindAlarmHiClick(QObject* sender, UpDownButton button) = 0;
  virtual void UpDown_WindAlarmLoClick(QObject* sender, UpDownButton button) = 0;

  virtual void Button_TempAlarmHiClick(QObject* sender) = 0;
  virtual void Button_TempAlarmLoClick(QObject* sender) = 0;
  virtual void Button_WindAlarmHiClick(QObject* sender) = 0;
  virtual void Button_WindAlarmLoClick(QObject* sender) = 0;
};
