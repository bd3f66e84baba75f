#include <string>

#include "alarms_test_support.h"
#include "recording_alarm_twin.h"

namespace {

struct Bounds {
  AlarmLimit limit;
  int lower;
  int upper;
};

class SpinnerBoundsTest : public AlarmsFormTest, public ::testing::WithParamInterface<Bounds> {};

TEST_P(SpinnerBoundsTest, StepsOneAtATimeAndStopsAtItsBounds) {
  const auto [limit, lower, upper] = GetParam();
  const LimitWidgets widgets = WidgetsOf(form, limit);
  ClickArrow(widgets.upDown, UpDownButton::Up, 250);
  EXPECT_EQ(widgets.edit->text(), QString::number(upper));
  ClickArrow(widgets.upDown, UpDownButton::Down, 250);
  EXPECT_EQ(widgets.edit->text(), QString::number(lower));
  ClickArrow(widgets.upDown, UpDownButton::Up, 3);
  EXPECT_EQ(widgets.edit->text(), QString::number(lower + 3));
}

// Wind chill is a temperature: its limits go below zero like the temperature limits.
INSTANTIATE_TEST_SUITE_P(
    AlarmsWindow, SpinnerBoundsTest,
    ::testing::Values(Bounds{AlarmLimit::TempHi, -99, 99}, Bounds{AlarmLimit::TempLo, -99, 99},
                      Bounds{AlarmLimit::WindAvgHi, 0, 99}, Bounds{AlarmLimit::WindAvgLo, 0, 99},
                      Bounds{AlarmLimit::WindGustHi, 0, 99}, Bounds{AlarmLimit::WindGustLo, 0, 99},
                      Bounds{AlarmLimit::WindChillHi, -99, 99},
                      Bounds{AlarmLimit::WindChillLo, -99, 99}),
    [](const auto& each) { return std::string(AlarmLimitName(each.param.limit)); });

class TwinReplayTest : public AlarmsFormTest {
 protected:
  void SetUp() override { form.SetTwin(&twin); }
  RecordingAlarmTwin twin{form};
  QObject user;  // the control a user clicks on the main window
};

TEST_F(TwinReplayTest, EachUserClickIsRepeatedOnceOnTheOtherWindowAndNoFurther) {
  ClickArrow(form.UpDown_TempHi, UpDownButton::Down, 2);
  form.Button_WindAvgLo->click();
  twin.UpDown_WindAlarmHiClick(&user, UpDownButton::Up);
  twin.Button_TempAlarmLoClick(&user);
  // The program's own calls and the limits without a twin go nowhere.
  form.UpDown_TempLoClick(nullptr, UpDownButton::Up);
  form.Button_TempHiClick(nullptr);
  for (AlarmLimit limit : {AlarmLimit::WindGustHi, AlarmLimit::WindGustLo, AlarmLimit::WindChillHi,
                           AlarmLimit::WindChillLo}) {
    ClickArrow(WidgetsOf(form, limit).upDown, UpDownButton::Up);
    WidgetsOf(form, limit).button->click();
  }

  EXPECT_EQ(twin.calls,
            QStringList({"UpDown_TempAlarmHi", "UpDown_TempAlarmHi", "Button_WindAlarmLo",
                         "UpDown_WindAlarmHi by user", "Button_TempAlarmLo by user"}));
  EXPECT_EQ(twin.edits[0].text(), QStringLiteral("-2"));
  EXPECT_EQ(form.Edit_WindAvgHi->text(), QStringLiteral("1"));
  EXPECT_EQ(form.Edit_TempLo->text(), QStringLiteral("1"));
  EXPECT_EQ(twin.buttons[3].text(), QStringLiteral("Vyp"));
  EXPECT_TRUE(form.IsArmed(AlarmLimit::TempLo));
  EXPECT_EQ(form.Button_TempLo->text(), QStringLiteral("Vyp"));
}

TEST_F(TwinReplayTest, TwinsShowTheCheckedLimitAcrossTheWholeRange) {
  // The main window's wind limits stop at 99 like the alarms window's.
  for (int i = 0; i < 101; ++i) twin.UpDown_WindAlarmHiClick(&user, UpDownButton::Up);
  ClickArrow(form.UpDown_WindAvgHi, UpDownButton::Down, 2);
  EXPECT_EQ(twin.edits[2].text(), QStringLiteral("97"));
  EXPECT_EQ(form.Edit_WindAvgHi->text(), QStringLiteral("97"));
  twin.Button_WindAlarmHiClick(&user);
  form.CheckAlarms(0, 98.0F, 0, 0);
  EXPECT_EQ(EventRow(form, 0).value(2), twin.edits[2].text());

  for (int i = 0; i < 5; ++i) twin.UpDown_WindAlarmLoClick(&user, UpDownButton::Down);
  for (int i = 0; i < 120; ++i) twin.UpDown_TempAlarmLoClick(&user, UpDownButton::Down);
  ClickArrow(form.UpDown_TempHi, UpDownButton::Up, 120);
  EXPECT_EQ(twin.edits[1].text(), QStringLiteral("-99"));
  EXPECT_EQ(form.Edit_TempLo->text(), QStringLiteral("-99"));
  EXPECT_EQ(twin.edits[0].text(), QStringLiteral("99"));
  EXPECT_EQ(form.Edit_TempHi->text(), QStringLiteral("99"));
  EXPECT_EQ(twin.edits[3].text(), QStringLiteral("0"));
  EXPECT_EQ(form.Edit_WindAvgLo->text(), QStringLiteral("0"));
}

}  // namespace
