#pragma once

#include <QDialog>
#include <QString>
#include <array>

#include "alarm_limit.h"
#include "program_files.h"
#include "up_down.h"

class AlarmEventModel;
class AlarmTwinWindow;
class Clock;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class SoundPlayer;

// The alarms window. It owns the eight limits, their armed flags and the event list for the
// whole run, whether or not it is open; every measurement row is checked here.
class TAlarmsForm : public QDialog {
  Q_OBJECT
 public:
  // files says where alarm.wav is looked for: the user's own, else the installed default.
  TAlarmsForm(Clock& clock, SoundPlayer& sound, ProgramFiles files, QWidget* parent = nullptr);
  ~TAlarmsForm() override;

  // The main window, whose four twin controls follow this window's clicks. May be null.
  void SetTwin(AlarmTwinWindow* twin);

  // Checks one measurement row against the armed limits in their fixed order, adds one event
  // per exceeded limit and starts alarm.wav once if anything was added.
  void CheckAlarms(float temperature, float avgSpeed, float gustSpeed, float windChillAvg);
  void AddAlarmEvent(const QString& type, int limit, float value);

  void FormCreate();

  // A user's click arrives with the clicked control as sender; the twin window repeats it
  // here with a null sender.
  void UpDown_TempHiClick(QObject* sender, UpDownButton button);
  void UpDown_TempLoClick(QObject* sender, UpDownButton button);
  void UpDown_WindAvgHiClick(QObject* sender, UpDownButton button);
  void UpDown_WindAvgLoClick(QObject* sender, UpDownButton button);
  void UpDown_WindGustHiClick(QObject* sender, UpDownButton button);
  void UpDown_WindGustLoClick(QObject* sender, UpDownButton button);
  void UpDown_WindChillHiClick(QObject* sender, UpDownButton button);
  void UpDown_WindChillLoClick(QObject* sender, UpDownButton button);

  void Button_TempHiClick(QObject* sender);
  void Button_TempLoClick(QObject* sender);
  void Button_WindAvgHiClick(QObject* sender);
  void Button_WindAvgLoClick(QObject* sender);
  void Button_WindGustHiClick(QObject* sender);
  void Button_WindGustLoClick(QObject* sender);
  void Button_WindChillHiClick(QObject* sender);
  void Button_WindChillLoClick(QObject* sender);

  void Button_ZavritClick(QObject* sender);

  bool IsArmed(AlarmLimit limit) const;
  const AlarmEventModel& Events() const { return *events_; }

  QGroupBox* GroupBox_TemperatureAlarm = nullptr;
  QGroupBox* GroupBox_WindSpeedAlarm = nullptr;
  QGroupBox* GroupBox_GustAlarm = nullptr;
  QGroupBox* GroupBox_WindchillAlarm = nullptr;

  QLineEdit* Edit_TempHi = nullptr;
  QLineEdit* Edit_TempLo = nullptr;
  QLineEdit* Edit_WindAvgHi = nullptr;
  QLineEdit* Edit_WindAvgLo = nullptr;
  QLineEdit* Edit_WindGustHi = nullptr;
  QLineEdit* Edit_WindGustLo = nullptr;
  QLineEdit* Edit_WindChillHi = nullptr;
  QLineEdit* Edit_WindChillLo = nullptr;

  TUpDown* UpDown_TempHi = nullptr;
  TUpDown* UpDown_TempLo = nullptr;
  TUpDown* UpDown_WindAvgHi = nullptr;
  TUpDown* UpDown_WindAvgLo = nullptr;
  TUpDown* UpDown_WindGustHi = nullptr;
  TUpDown* UpDown_WindGustLo = nullptr;
  TUpDown* UpDown_WindChillHi = nullptr;
  TUpDown* UpDown_WindChillLo = nullptr;

  QPushButton* Button_TempHi = nullptr;
  QPushButton* Button_TempLo = nullptr;
  QPushButton* Button_WindAvgHi = nullptr;
  QPushButton* Button_WindAvgLo = nullptr;
  QPushButton* Button_WindGustHi = nullptr;
  QPushButton* Button_WindGustLo = nullptr;
  QPushButton* Button_WindChillHi = nullptr;
  QPushButton* Button_WindChillLo = nullptr;

  QLabel* Label_AlarmEvents = nullptr;
  QTableView* StringGrid_AlarmEvents = nullptr;
  QPushButton* Button_Zavrit = nullptr;

 private:
  struct LimitControls {
    QLineEdit* edit = nullptr;
    TUpDown* upDown = nullptr;
    QPushButton* button = nullptr;
  };

  void CreateControls();
  QGroupBox* CreateGroup(const char* name, const char* caption, int left, AlarmLimit upper,
                         AlarmLimit lower);
  LimitControls CreateLimitControls(QGroupBox* box, AlarmLimit limit, int editTop, int buttonTop);
  void CreateEventList();
  void ConnectHandlers();

  void StepLimit(AlarmLimit limit, UpDownButton button);
  void ToggleLimit(AlarmLimit limit);
  const LimitControls& Controls(AlarmLimit limit) const;

  Clock& clock_;
  SoundPlayer& sound_;
  ProgramFiles files_;
  AlarmTwinWindow* twin_ = nullptr;
  AlarmEventModel* events_ = nullptr;

  std::array<LimitControls, kAlarmLimitCount> controls_{};
  std::array<int, kAlarmLimitCount> armed_{};
  // Each limit as last read from its edit, refreshed whenever the limit is checked.
  std::array<int, kAlarmLimitCount> limitValue_{};
};
