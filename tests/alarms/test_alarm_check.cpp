#include <array>
#include <limits>
#include <string>

#include "tests/alarms/alarms_test_support.h"

namespace {

// CheckAlarms' four arguments with the quantity a limit watches set to value.
std::array<float, 4> SampleWith(AlarmLimit limit, float value) {
  std::array<float, 4> sample{};
  sample.at(static_cast<std::size_t>(QuantityOf(limit))) = value;
  return sample;
}

class EachLimitTest : public AlarmsFormTest, public ::testing::WithParamInterface<AlarmLimit> {
 protected:
  void Check(std::array<float, 4> s) { form.CheckAlarms(s[0], s[1], s[2], s[3]); }
};

TEST_P(EachLimitTest, FiresOnlyStrictlyBeyondItsLimitOnItsOwnQuantity) {
  const AlarmLimit limit = GetParam();
  const float outward = IsUpperLimit(limit) ? 1.0F : -1.0F;
  ArmAt(limit, 7);

  Check(SampleWith(limit, 7.0F));
  Check(SampleWith(limit, 7.0F - 0.01F * outward));
  Check(SampleWith(limit, std::numeric_limits<float>::quiet_NaN()));
  std::array<float, 4> othersBeyond{};
  othersBeyond.fill(7.0F + 50.0F * outward);
  othersBeyond.at(static_cast<std::size_t>(QuantityOf(limit))) = 7.0F;
  Check(othersBeyond);
  EXPECT_EQ(Rows(), 0);
  EXPECT_TRUE(sound.requests.isEmpty());

  Check(SampleWith(limit, 7.0F + 0.01F * outward));
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(EventRow(form, 0).value(1), AlarmTypeText(limit));
  EXPECT_EQ(EventRow(form, 0).value(2), QStringLiteral("7"));
  EXPECT_EQ(sound.requests.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(AllLimits, EachLimitTest, ::testing::ValuesIn(kAlarmLimitsInCheckOrder),
                         [](const auto& each) { return std::string(AlarmLimitName(each.param)); });

TEST_F(AlarmsFormTest, EverySampleBeyondALimitAddsARowAndStartsTheSound) {
  ArmAt(AlarmLimit::TempHi, 20);
  for (int i = 0; i < 3; ++i) form.CheckAlarms(20.5F, 0, 0, 0);
  ASSERT_EQ(Rows(), 3);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(EventRow(form, row),
              QStringList({"5.3 2008 14:07:09", "Teplota horní mez", "20", "20.50"}));
  }
  const QString wav = QStringLiteral("/opt/kelvra-anemometer/alarm.wav");
  EXPECT_EQ(sound.requests, QStringList({wav, wav, wav}));
}

TEST_F(AlarmsFormTest, OneSampleBeyondSeveralLimitsAddsRowsInCheckOrderAndOneSound) {
  // Armed out of order; the upper wind limit lies below the lower one.
  ArmAt(AlarmLimit::WindChillLo, -5);
  ArmAt(AlarmLimit::WindAvgLo, 20);
  ArmAt(AlarmLimit::WindAvgHi, 10);
  ArmAt(AlarmLimit::TempHi, 3);
  ArmAt(AlarmLimit::WindGustHi, 13);

  form.CheckAlarms(3.25F, 15.0F, 12.3F, -7.75F);

  ASSERT_EQ(Rows(), 4);
  EXPECT_EQ(EventRow(form, 0).mid(1), QStringList({"Teplota horní mez", "3", "3.25"}));
  EXPECT_EQ(EventRow(form, 1).mid(1), QStringList({"Rychlost větru horní mez", "10", "15.00"}));
  EXPECT_EQ(EventRow(form, 2).mid(1), QStringList({"Rychlost větru dolní mez", "20", "15.00"}));
  EXPECT_EQ(EventRow(form, 3).mid(1), QStringList({"Wind chill dolní mez", "-5", "-7.75"}));
  EXPECT_EQ(sound.requests.size(), 1);
}

TEST_F(AlarmsFormTest, DisarmingAndSteppingTakeEffectAtTheNextCheck) {
  form.CheckAlarms(-1000.0F, 1000.0F, -1000.0F, 1000.0F);
  EXPECT_EQ(Rows(), 0) << "every limit starts disarmed";

  ArmAt(AlarmLimit::WindGustHi, 3);
  form.CheckAlarms(0, 0, 3.5F, 0);
  ClickArrow(WidgetsOf(form, AlarmLimit::WindGustHi).upDown, UpDownButton::Up);
  form.CheckAlarms(0, 0, 3.5F, 0);
  ClickArrow(WidgetsOf(form, AlarmLimit::WindGustHi).upDown, UpDownButton::Down, 2);
  form.CheckAlarms(0, 0, 3.5F, 0);
  WidgetsOf(form, AlarmLimit::WindGustHi).button->click();
  form.CheckAlarms(0, 0, 3.5F, 0);

  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(EventRow(form, 0).value(2), QStringLiteral("3"));
  EXPECT_EQ(EventRow(form, 1).value(2), QStringLiteral("2"));
  EXPECT_EQ(sound.requests.size(), 2);
}

TEST_F(AlarmsFormTest, RowsShowTheTimeOfTheirCheckAndTwoDecimals) {
  ArmAt(AlarmLimit::TempLo, 6);
  form.CheckAlarms(5.0F, 0, 0, 0);
  clock.Set({2026, 12, 4, 24, 9, 0, 5, 999});
  form.CheckAlarms(-3.456F, 0, 0, 0);
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(EventRow(form, 0),
            QStringList({"5.3 2008 14:07:09", "Teplota dolní mez", "6", "5.00"}));
  EXPECT_EQ(EventRow(form, 1),
            QStringList({"24.12 2026 09:00:05", "Teplota dolní mez", "6", "-3.46"}));
}

}  // namespace
