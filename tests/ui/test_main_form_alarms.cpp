#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "alarm_event_model.h"
#include "alarms_form.h"
#include "fake_sound_player.h"
#include "main_form_fixture.h"

namespace {

// The main window with its alarms window, as the program wires them at start.
class MainFormAlarmsTest : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    alarms = new TAlarmsForm(clock, sound, form->Files(), form.get());
    alarms->SetTwin(form.get());
    form->AlarmsForm = alarms;
  }

  // Clicks the main window's control as the user would (the control is the sender).
  void Step(TUpDown* upDown, void (TMainForm::*handler)(QObject*, UpDownButton),
            UpDownButton button, int times) {
    for (int i = 0; i < times; ++i) (form.get()->*handler)(upDown, button);
  }

  FakeSoundPlayer sound;
  TAlarmsForm* alarms = nullptr;
};

TEST_F(MainFormAlarmsTest, SteppingOnTheMainWindowKeepsTheTwinsEqualWithinTheSameBounds) {
  Step(form->UpDown_TempAlarmHi, &TMainForm::UpDown_TempAlarmHiClick, UpDownButton::Up, 3);
  Step(form->UpDown_TempAlarmLo, &TMainForm::UpDown_TempAlarmLoClick, UpDownButton::Down, 120);
  EXPECT_EQ(form->Edit_TempAlarmHi->text(), "3");
  EXPECT_EQ(alarms->Edit_TempHi->text(), "3");
  EXPECT_EQ(form->Edit_TempAlarmLo->text(), "-99");
  EXPECT_EQ(alarms->Edit_TempLo->text(), "-99");

  // The average-wind twins stop at 99 on both windows, so the main window never shows a
  // limit other than the one that is checked.
  Step(form->UpDown_WindAlarmHi, &TMainForm::UpDown_WindAlarmHiClick, UpDownButton::Up, 101);
  EXPECT_EQ(form->Edit_WindAlarmHi->text(), "99");
  EXPECT_EQ(alarms->Edit_WindAvgHi->text(), "99");
  Step(form->UpDown_WindAlarmHi, &TMainForm::UpDown_WindAlarmHiClick, UpDownButton::Down, 2);
  EXPECT_EQ(form->Edit_WindAlarmHi->text(), "97");
  EXPECT_EQ(alarms->Edit_WindAvgHi->text(), "97");
  Step(form->UpDown_WindAlarmLo, &TMainForm::UpDown_WindAlarmLoClick, UpDownButton::Down, 1);
  EXPECT_EQ(form->Edit_WindAlarmLo->text(), "0");
  EXPECT_EQ(alarms->Edit_WindAvgLo->text(), "0");
}

TEST_F(MainFormAlarmsTest, SteppingOnTheAlarmsWindowIsRepeatedOnTheMainWindow) {
  for (int i = 0; i < 5; ++i) alarms->UpDown_WindAvgLoClick(alarms->UpDown_WindAvgLo, UpDownButton::Up);
  alarms->UpDown_TempHiClick(alarms->UpDown_TempHi, UpDownButton::Down);
  EXPECT_EQ(form->Edit_WindAlarmLo->text(), "5");
  EXPECT_EQ(form->Edit_TempAlarmHi->text(), "-1");
  // Gust limits have no twin on the main window.
  alarms->UpDown_WindGustHiClick(alarms->UpDown_WindGustHi, UpDownButton::Up);
  EXPECT_EQ(form->Edit_WindAlarmHi->text(), "0");
}

TEST_F(MainFormAlarmsTest, ArmingFromEitherWindowArmsTheCheckedLimitAndBothCaptionsFollow) {
  form->Button_TempAlarmHiClick(form->Button_TempAlarmHi);
  EXPECT_TRUE(alarms->IsArmed(AlarmLimit::TempHi));
  EXPECT_EQ(form->Button_TempAlarmHi->text(), "Vyp");
  EXPECT_EQ(alarms->Button_TempHi->text(), "Vyp");

  alarms->Button_WindAvgLoClick(alarms->Button_WindAvgLo);
  EXPECT_EQ(form->Button_WindAlarmLo->text(), "Vyp");
  alarms->Button_WindAvgLoClick(alarms->Button_WindAvgLo);
  EXPECT_EQ(form->Button_WindAlarmLo->text(), "Zap");
  EXPECT_FALSE(alarms->IsArmed(AlarmLimit::WindAvgLo));
}

TEST_F(MainFormAlarmsTest, EveryCapturedRowIsCheckedIncludingMadeUpOnes) {
  // Temperature upper limit 10 armed; the reports carry 12.5 degrees.
  Step(form->UpDown_TempAlarmHi, &TMainForm::UpDown_TempAlarmHiClick, UpDownButton::Up, 10);
  form->Button_TempAlarmHiClick(form->Button_TempAlarmHi);
  StartCaptureAndPrime(1);
  Deliver(FakeHidTransport::MakeReport(2));
  Deliver(FakeHidTransport::MakeReport(4));  // one report missed: two rows
  const AlarmEventModel& events = alarms->Events();
  ASSERT_EQ(events.rowCount(), 3);
  EXPECT_EQ(AlarmEventModel::CellText(events.At(0), 0), kArrivalText);
  EXPECT_EQ(AlarmEventModel::CellText(events.At(0), 1), QString::fromUtf8("Teplota horní mez"));
  EXPECT_EQ(AlarmEventModel::CellText(events.At(0), 2), "10");
  EXPECT_EQ(AlarmEventModel::CellText(events.At(0), 3), "12.50");
  EXPECT_EQ(sound.requests.size(), 3);
  EXPECT_EQ(sound.requests.front(), form->ProgramFile("alarm.wav"));

  // Disarming from the main window stops the rows at once.
  form->Button_TempAlarmHiClick(form->Button_TempAlarmHi);
  Deliver(FakeHidTransport::MakeReport(5));
  EXPECT_EQ(events.rowCount(), 3);
  form->StopCaptureClick(nullptr);
}

TEST_F(MainFormAlarmsTest, TheAlarmsWindowOpensModallyAndNewEventsArriveWhileItIsOpen) {
  Step(form->UpDown_WindAlarmHi, &TMainForm::UpDown_WindAlarmHiClick, UpDownButton::Up, 1);
  form->Button_WindAlarmHiClick(form->Button_WindAlarmHi);  // 1000 mHz gives 2 m/s > 1
  StartCaptureAndPrime(1);
  int rowsSeenWhileOpen = -1;
  QTimer::singleShot(0, [&] {
    EXPECT_TRUE(alarms->isVisible());
    hid.QueueReport(anemometer, FakeHidTransport::MakeReport(2));
    ASSERT_TRUE(hid.WaitUntilIdle(anemometer));
    QCoreApplication::processEvents();
    rowsSeenWhileOpen = alarms->Events().rowCount();
    alarms->Button_ZavritClick(alarms->Button_Zavrit);
  });
  form->ShowAlarmsClick(form->ShowAlarms);
  EXPECT_EQ(rowsSeenWhileOpen, 1);
  EXPECT_FALSE(alarms->isVisible());
  form->StopCaptureClick(nullptr);
}

}  // namespace
