#include <QLineEdit>
#include <QPushButton>

#include "alarm_switch.h"
#include "alarm_twin.h"
#include "alarms_form.h"
#include "limit_stepping.h"

namespace {

using SpinnerHandler = void (TAlarmsForm::*)(QObject*, UpDownButton);
using SwitchHandler = void (TAlarmsForm::*)(QObject*);

// Indexed like the limits' check order.
constexpr std::array<SpinnerHandler, kAlarmLimitCount> kSpinnerHandlers = {
    &TAlarmsForm::UpDown_TempHiClick,      &TAlarmsForm::UpDown_TempLoClick,
    &TAlarmsForm::UpDown_WindAvgHiClick,   &TAlarmsForm::UpDown_WindAvgLoClick,
    &TAlarmsForm::UpDown_WindGustHiClick,  &TAlarmsForm::UpDown_WindGustLoClick,
    &TAlarmsForm::UpDown_WindChillHiClick, &TAlarmsForm::UpDown_WindChillLoClick,
};

constexpr std::array<SwitchHandler, kAlarmLimitCount> kSwitchHandlers = {
    &TAlarmsForm::Button_TempHiClick,      &TAlarmsForm::Button_TempLoClick,
    &TAlarmsForm::Button_WindAvgHiClick,   &TAlarmsForm::Button_WindAvgLoClick,
    &TAlarmsForm::Button_WindGustHiClick,  &TAlarmsForm::Button_WindGustLoClick,
    &TAlarmsForm::Button_WindChillHiClick, &TAlarmsForm::Button_WindChillLoClick,
};

}  // namespace

void TAlarmsForm::ConnectHandlers() {
  for (AlarmLimit limit : kAlarmLimitsInCheckOrder) {
    const LimitControls& controls = Controls(limit);
    const SpinnerHandler spin = kSpinnerHandlers.at(IndexOf(limit));
    const SwitchHandler toggle = kSwitchHandlers.at(IndexOf(limit));
    TUpDown* upDown = controls.upDown;
    QPushButton* button = controls.button;
    connect(upDown, &TUpDown::Clicked, this,
            [this, spin, upDown](UpDownButton arrow) { (this->*spin)(upDown, arrow); });
    connect(button, &QPushButton::clicked, this,
            [this, toggle, button] { (this->*toggle)(button); });
  }
  connect(Button_Zavrit, &QPushButton::clicked, this,
          [this] { Button_ZavritClick(Button_Zavrit); });
}

void TAlarmsForm::StepLimit(AlarmLimit limit, UpDownButton button) {
  StepLimitEdit(*Controls(limit).edit, button, LimitBoundsOf(limit));
}

void TAlarmsForm::ToggleLimit(AlarmLimit limit) {
  ToggleAlarmSwitch(armed_.at(IndexOf(limit)), *Controls(limit).button);
}

// Temperature and average wind have twins on the main window: a user's click is repeated
// there with a null sender, and a repeated click (null sender) stops here.

void TAlarmsForm::UpDown_TempHiClick(QObject* sender, UpDownButton button) {
  StepLimit(AlarmLimit::TempHi, button);
  if (sender != nullptr && twin_ != nullptr) {
    twin_->UpDown_TempAlarmHiClick(nullptr, button);
  }
}

void TAlarmsForm::UpDown_TempLoClick(QObject* sender, UpDownButton button) {
  StepLimit(AlarmLimit::TempLo, button);
  if (sender != nullptr && twin_ != nullptr) {
    twin_->UpDown_TempAlarmLoClick(nullptr, button);
  }
}

void TAlarmsForm::UpDown_WindAvgHiClick(QObject* sender, UpDownButton button) {
  StepLimit(AlarmLimit::WindAvgHi, button);
  if (sender != nullptr && twin_ != nullptr) {
    twin_->UpDown_WindAlarmHiClick(nullptr, button);
  }
}

void TAlarmsForm::UpDown_WindAvgLoClick(QObject* sender, UpDownButton button) {
  StepLimit(AlarmLimit::WindAvgLo, button);
  if (sender != nullptr && twin_ != nullptr) {
    twin_->UpDown_WindAlarmLoClick(nullptr, button);
  }
}

void TAlarmsForm::UpDown_WindGustHiClick(QObject* /*sender*/, UpDownButton button) {
  StepLimit(AlarmLimit::WindGustHi, button);
}

void TAlarmsForm::UpDown_WindGustLoClick(QObject* /*sender*/, UpDownButton button) {
  StepLimit(AlarmLimit::WindGustLo, button);
}

void TAlarmsForm::UpDown_WindChillHiClick(QObject* /*sender*/, UpDownButton button) {
  StepLimit(AlarmLimit::WindChillHi, button);
}

void TAlarmsForm::UpDown_WindChillLoClick(QObject* /*sender*/, UpDownButton button) {
  StepLimit(AlarmLimit::WindChillLo, button);
}

void TAlarmsForm::Button_TempHiClick(QObject* sender) {
  ToggleLimit(AlarmLimit::TempHi);
  if (sender != nullptr && twin_ != nullptr) {
    twin_->Button_TempAlarmHiClick(nullptr);
  }
}

void TAlarmsForm::Button_TempLoClick(QObject* sender) {
  ToggleLimit(AlarmLimit::TempLo);
  if (sender != nullptr && twin_ != nullptr) {
    twin_->Button_TempAlarmLoClick(nullptr);
  }
}

void TAlarmsForm::Button_WindAvgHiClick(QObject* sender) {
  ToggleLimit(AlarmLimit::WindAvgHi);
  if (sender != nullptr && twin_ != nullptr) {
    twin_->Button_WindAlarmHiClick(nullptr);
  }
}

void TAlarmsForm::Button_WindAvgLoClick(QObject* sender) {
  ToggleLimit(AlarmLimit::WindAvgLo);
  if (sender != nullptr && twin_ != nullptr) {
    twin_->Button_WindAlarmLoClick(nullptr);
  }
}

void TAlarmsForm::Button_WindGustHiClick(QObject* /*sender*/) {
  ToggleLimit(AlarmLimit::WindGustHi);
}

void TAlarmsForm::Button_WindGustLoClick(QObject* /*sender*/) {
  ToggleLimit(AlarmLimit::WindGustLo);
}

void TAlarmsForm::Button_WindChillHiClick(QObject* /*sender*/) {
  ToggleLimit(AlarmLimit::WindChillHi);
}

void TAlarmsForm::Button_WindChillLoClick(QObject* /*sender*/) {
  ToggleLimit(AlarmLimit::WindChillLo);
}

// Closing leaves every limit, switch and event as it is.
void TAlarmsForm::Button_ZavritClick(QObject* /*sender*/) { accept(); }
