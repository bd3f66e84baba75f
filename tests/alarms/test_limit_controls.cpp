#include <string>

#include "tests/alarms/alarms_test_support.h"

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

// Any window that shows the limits changes them for all: a second window on the same limits
// follows every click on the first, and the check uses what both show.
TEST_F(AlarmsFormTest, WindowsOnTheSameLimitsShowAndChangeTheSameValues) {
  TAlarmsForm other{clock, sound, ProgramFiles{"/opt/kelvra-anemometer"}, limits};
  ClickArrow(WidgetsOf(form, AlarmLimit::TempHi).upDown, UpDownButton::Down, 2);
  ClickArrow(WidgetsOf(other, AlarmLimit::WindAvgHi).upDown, UpDownButton::Up, 101);
  ClickArrow(WidgetsOf(form, AlarmLimit::WindAvgHi).upDown, UpDownButton::Down, 2);
  WidgetsOf(other, AlarmLimit::WindAvgHi).button->click();
  WidgetsOf(form, AlarmLimit::WindChillLo).button->click();
  WidgetsOf(form, AlarmLimit::WindChillLo).button->click();

  for (const TAlarmsForm* window : {&form, &other}) {
    EXPECT_EQ(WidgetsOf(*window, AlarmLimit::TempHi).edit->text(), QStringLiteral("-2"));
    EXPECT_EQ(WidgetsOf(*window, AlarmLimit::WindAvgHi).edit->text(), QStringLiteral("97"));
    EXPECT_EQ(WidgetsOf(*window, AlarmLimit::WindAvgHi).button->text(), QStringLiteral("Vyp"));
    EXPECT_EQ(WidgetsOf(*window, AlarmLimit::WindChillLo).button->text(), QStringLiteral("Zap"));
  }
  EXPECT_TRUE(limits.IsArmed(AlarmLimit::WindAvgHi));
  EXPECT_FALSE(limits.IsArmed(AlarmLimit::WindChillLo));
  form.CheckAlarms(0, 98.0F, 0, 0);
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(EventRow(form, 0).value(2), QStringLiteral("97"));
}

}  // namespace
