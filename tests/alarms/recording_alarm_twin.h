#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <array>

#include "alarm_switch.h"
#include "alarm_twin.h"
#include "alarms_form.h"
#include "limit_stepping.h"

// The main window's four twin controls, behaving as the main window does with the shared
// stepping and switch routines. Records each call as "handler" or "handler by user".
class RecordingAlarmTwin : public AlarmTwinWindow {
 public:
  explicit RecordingAlarmTwin(TAlarmsForm& form) : form_(form) {
    for (QLineEdit& edit : edits) edit.setText(QStringLiteral("0"));
  }

  void UpDown_TempAlarmHiClick(QObject* s, UpDownButton b) override {
    Step(0, s, b, "UpDown_TempAlarmHi");
  }
  void UpDown_TempAlarmLoClick(QObject* s, UpDownButton b) override {
    Step(1, s, b, "UpDown_TempAlarmLo");
  }
  void UpDown_WindAlarmHiClick(QObject* s, UpDownButton b) override {
    Step(2, s, b, "UpDown_WindAlarmHi");
  }
  void UpDown_WindAlarmLoClick(QObject* s, UpDownButton b) override {
    Step(3, s, b, "UpDown_WindAlarmLo");
  }
  void Button_TempAlarmHiClick(QObject* s) override { Toggle(0, s, "Button_TempAlarmHi"); }
  void Button_TempAlarmLoClick(QObject* s) override { Toggle(1, s, "Button_TempAlarmLo"); }
  void Button_WindAlarmHiClick(QObject* s) override { Toggle(2, s, "Button_WindAlarmHi"); }
  void Button_WindAlarmLoClick(QObject* s) override { Toggle(3, s, "Button_WindAlarmLo"); }

  // Indexed TempHi, TempLo, WindAvgHi, WindAvgLo.
  std::array<QLineEdit, 4> edits;
  std::array<QPushButton, 4> buttons;
  std::array<int, 4> armed{};
  QStringList calls;

 private:
  static constexpr std::array<AlarmLimit, 4> kLimits = {
      AlarmLimit::TempHi, AlarmLimit::TempLo, AlarmLimit::WindAvgHi, AlarmLimit::WindAvgLo};
  using FormSpinner = void (TAlarmsForm::*)(QObject*, UpDownButton);
  using FormSwitch = void (TAlarmsForm::*)(QObject*);
  static constexpr std::array<FormSpinner, 4> kFormSpinners = {
      &TAlarmsForm::UpDown_TempHiClick, &TAlarmsForm::UpDown_TempLoClick,
      &TAlarmsForm::UpDown_WindAvgHiClick, &TAlarmsForm::UpDown_WindAvgLoClick};
  static constexpr std::array<FormSwitch, 4> kFormSwitches = {
      &TAlarmsForm::Button_TempHiClick, &TAlarmsForm::Button_TempLoClick,
      &TAlarmsForm::Button_WindAvgHiClick, &TAlarmsForm::Button_WindAvgLoClick};

  void Record(QObject* sender, const char* handler) {
    calls << QString::fromLatin1(handler) + (sender != nullptr ? " by user" : "");
  }
  void Step(std::size_t i, QObject* sender, UpDownButton button, const char* handler) {
    Record(sender, handler);
    StepLimitEdit(edits.at(i), button, LimitBoundsOf(kLimits.at(i)));
    if (sender != nullptr) (form_.*kFormSpinners.at(i))(nullptr, button);
  }
  void Toggle(std::size_t i, QObject* sender, const char* handler) {
    Record(sender, handler);
    ToggleAlarmSwitch(armed.at(i), buttons.at(i));
    if (sender != nullptr) (form_.*kFormSwitches.at(i))(nullptr);
  }

  TAlarmsForm& form_;
};
