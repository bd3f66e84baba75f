#pragma once

#include <QDialog>
#include <QString>

#include "alarms/alarm_limit.h"
#include "core/program_files.h"

class AlarmEventModel;
class AlarmLimits;
class Clock;
class QLabel;
class QPushButton;
class QTableView;
class SoundPlayer;

// The alarms window: the eight limits with their spinners and switches, and the event list. It
// lives for the whole run, whether or not it is open, and every measurement row is checked here
// against the limits it shows and changes (AlarmLimits, shared with the main window's twins).
class TAlarmsForm : public QDialog {
  Q_OBJECT
 public:
  // files says where alarm.wav is looked for: the user's own, else the installed default.
  TAlarmsForm(Clock& clock, SoundPlayer& sound, ProgramFiles files, AlarmLimits& limits,
              QWidget* parent = nullptr);
  ~TAlarmsForm() override;

  // Checks one measurement row against the armed limits in their fixed order, adds one event
  // per exceeded limit and starts alarm.wav once if anything was added.
  void CheckAlarms(float temperature, float avgSpeed, float gustSpeed, float windChillAvg);
  void AddAlarmEvent(const QString& type, int limit, float value);

  const AlarmEventModel& Events() const { return *events_; }

 private:
  void CreateControls();
  void CreateGroup(const char* name, const char* caption, int left, AlarmLimit upper,
                   AlarmLimit lower);
  void CreateLimitControls(QWidget* box, AlarmLimit limit, int editTop, int buttonTop);
  void CreateEventList();
  void ConnectHandlers();
  void Button_ZavritClick();

  Clock& clock_;
  SoundPlayer& sound_;
  ProgramFiles files_;
  AlarmLimits& limits_;
  AlarmEventModel* events_ = nullptr;

  QLabel* Label_AlarmEvents = nullptr;
  QTableView* StringGrid_AlarmEvents = nullptr;
  QPushButton* Button_Zavrit = nullptr;
};
