#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "alarms/alarm_event_model.h"
#include "alarms/alarm_limits.h"
#include "alarms/alarms_form.h"
#include "tests/support/fake_sound_player.h"
#include "tests/ui/main_form_fixture.h"

namespace {

// The main window with its alarms window, as the program wires them at start.
class MainFormAlarmsTest : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    alarms = new TAlarmsForm(clock, sound, form->Files(), form->Limits(), form.get());
    form->AttachDialog(alarms);
  }

  // A limit's controls by their common suffix, on the main window or the alarms window.
  void Step(const QWidget& window, const char* limit, UpDownButton arrow, int times) {
    ClickArrow(&NamedChild<TUpDown>(window, ("UpDown_" + std::string(limit)).c_str()), arrow,
               times);
  }
  QString Shown(const QWidget& window, const char* limit) {
    return NamedChild<QLineEdit>(window, ("Edit_" + std::string(limit)).c_str()).text();
  }
  QPushButton& Switch(const QWidget& window, const char* limit) {
    return NamedChild<QPushButton>(window, ("Button_" + std::string(limit)).c_str());
  }

  FakeSoundPlayer sound;
  TAlarmsForm* alarms = nullptr;
};

TEST_F(MainFormAlarmsTest, BothWindowsShowTheSameLimitsWhicheverChangesThem) {
  Step(*form, "TempAlarmHi", UpDownButton::Up, 3);
  Step(*form, "TempAlarmLo", UpDownButton::Down, 120);
  EXPECT_EQ(Shown(*form, "TempAlarmHi"), "3");
  EXPECT_EQ(Shown(*alarms, "TempHi"), "3");
  EXPECT_EQ(Shown(*form, "TempAlarmLo"), "-99");
  EXPECT_EQ(Shown(*alarms, "TempLo"), "-99");

  // The average-wind limits stop at 99 on both windows: the main window never shows a limit
  // other than the one that is checked.
  Step(*form, "WindAlarmHi", UpDownButton::Up, 101);
  EXPECT_EQ(Shown(*form, "WindAlarmHi"), "99");
  Step(*alarms, "WindAvgHi", UpDownButton::Down, 2);
  EXPECT_EQ(Shown(*form, "WindAlarmHi"), "97");
  EXPECT_EQ(form->Limits().Value(AlarmLimit::WindAvgHi), 97);
  Step(*alarms, "WindAvgLo", UpDownButton::Up, 5);
  EXPECT_EQ(Shown(*form, "WindAlarmLo"), "5");
  // Gust limits have no twin on the main window.
  Step(*alarms, "WindGustHi", UpDownButton::Up, 1);
  EXPECT_EQ(Shown(*form, "WindAlarmHi"), "97");
}

TEST_F(MainFormAlarmsTest, ArmingFromEitherWindowArmsTheCheckedLimitAndBothCaptionsFollow) {
  Switch(*form, "TempAlarmHi").click();
  EXPECT_TRUE(form->Limits().IsArmed(AlarmLimit::TempHi));
  EXPECT_EQ(Switch(*form, "TempAlarmHi").text(), "Vyp");
  EXPECT_EQ(Switch(*alarms, "TempHi").text(), "Vyp");

  Switch(*alarms, "WindAvgLo").click();
  EXPECT_EQ(Switch(*form, "WindAlarmLo").text(), "Vyp");
  Switch(*alarms, "WindAvgLo").click();
  EXPECT_EQ(Switch(*form, "WindAlarmLo").text(), "Zap");
  EXPECT_FALSE(form->Limits().IsArmed(AlarmLimit::WindAvgLo));
}

TEST_F(MainFormAlarmsTest, EveryCapturedRowIsCheckedIncludingMadeUpOnes) {
  // Temperature upper limit 10 armed; the reports carry 12.5 degrees.
  Step(*form, "TempAlarmHi", UpDownButton::Up, 10);
  Switch(*form, "TempAlarmHi").click();
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
  Switch(*form, "TempAlarmHi").click();
  Deliver(FakeHidTransport::MakeReport(5));
  EXPECT_EQ(events.rowCount(), 3);
  form->StopCaptureClick(nullptr);
}

TEST_F(MainFormAlarmsTest, TheAlarmsWindowOpensModallyAndNewEventsArriveWhileItIsOpen) {
  Step(*form, "WindAlarmHi", UpDownButton::Up, 1);
  Switch(*form, "WindAlarmHi").click();  // 1000 mHz gives 2 m/s > 1
  StartCaptureAndPrime(1);
  int rowsSeenWhileOpen = -1;
  QTimer::singleShot(0, [&] {
    EXPECT_TRUE(alarms->isVisible());
    hid.QueueReport(anemometer, FakeHidTransport::MakeReport(2));
    ASSERT_TRUE(hid.WaitUntilIdle(anemometer));
    QCoreApplication::processEvents();
    rowsSeenWhileOpen = alarms->Events().rowCount();
    NamedChild<QPushButton>(*alarms, "Button_Zavrit").click();
  });
  NamedChild<QAction>(*form, "ShowAlarms").trigger();
  EXPECT_EQ(rowsSeenWhileOpen, 1);
  EXPECT_FALSE(alarms->isVisible());
  form->StopCaptureClick(nullptr);
}

}  // namespace
