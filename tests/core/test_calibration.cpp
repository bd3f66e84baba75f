// Speed conversion through the calibration table.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "core/calibration.h"
#include "core/measurement_core.h"
#include "tests/support/recording_consumer.h"

namespace {

const CalibrationTable kDefaults = DefaultCalibrationTable();

float Speed(std::int32_t frequency) { return SpeedFromFrequency(kDefaults, frequency); }

}  // namespace

TEST(SpeedFromFrequency, DefaultTable) {
  EXPECT_EQ(Speed(0), 0.0f);
  EXPECT_EQ(Speed(-5), 0.0f);
  EXPECT_EQ(Speed(std::numeric_limits<std::int32_t>::min()), 0.0f);
  // Exactly at each row its own speed; the nominal speeds the rows stand for.
  const double nominal[] = {1.0, 2.0, 5.6, 7.4, 10.0, 13.3, 16.0, 17.4, 19.0};
  ASSERT_EQ(kDefaults.size(), std::size(nominal));
  for (std::size_t row = 0; row < kDefaults.size(); ++row) {
    const auto frequency = static_cast<std::int32_t>(kDefaults[row].Frequency);
    EXPECT_EQ(Speed(frequency), kDefaults[row].Frequency / kDefaults[row].Constant) << row;
    EXPECT_NEAR(Speed(frequency), nominal[row], 1e-4) << row;
  }
  EXPECT_EQ(Speed(4093), 2.0f);
  EXPECT_EQ(Speed(45824), 19.0f);
  // Below the first row, every frequency has the first row's speed.
  for (std::int32_t f = 1; f <= 2194; ++f) ASSERT_EQ(Speed(f), 1.0f) << f;
  // Between rows the constant is interpolated; above them the last one divides.
  EXPECT_NEAR(Speed(3000), 1.4075, 5e-5);
  EXPECT_NEAR(3000.0 / Speed(3000), 2131.40, 0.01);
  EXPECT_NEAR(Speed(50000), 20.7315, 5e-5);
  EXPECT_NEAR(Speed(99999), 41.4626, 5e-5);
  EXPECT_NEAR(Speed(std::numeric_limits<std::int32_t>::max()), 2147483647.0 / 2411.78955078125,
              1.0);
}

TEST(SpeedFromFrequency, HasNoJumpsAcrossTheDefaultTable) {
  float previous = Speed(1);
  for (std::int32_t f = 2; f <= 60000; ++f) {
    const float speed = Speed(f);
    ASSERT_LT(std::fabs(speed - previous), 1e-3f) << f;
    previous = speed;
  }
}

TEST(SpeedFromFrequency, SingleRowTable) {
  const CalibrationTable table = {{1000.0f, 500.0f}};
  EXPECT_EQ(SpeedFromFrequency(table, 1000), 2.0f);
  EXPECT_EQ(SpeedFromFrequency(table, 400), 2.0f);
  EXPECT_EQ(SpeedFromFrequency(table, 3000), 6.0f);
}

TEST(SpeedFromFrequency, UnusableTablesGiveCalm) {
  EXPECT_EQ(SpeedFromFrequency({}, 1000), 0.0f);
  // Constants of 0 or below, above and below the table.
  EXPECT_EQ(SpeedFromFrequency({{1000.0f, 0.0f}}, 2000), 0.0f);
  EXPECT_EQ(SpeedFromFrequency({{1000.0f, 0.0f}}, 500), 0.0f);
  EXPECT_EQ(SpeedFromFrequency({{1000.0f, -500.0f}}, 2000), 0.0f);
  // An interpolated constant that reaches zero or goes negative.
  const CalibrationTable crossing = {{1000.0f, 100.0f}, {2000.0f, -100.0f}};
  EXPECT_EQ(SpeedFromFrequency(crossing, 1500), 0.0f);
  EXPECT_EQ(SpeedFromFrequency(crossing, 1900), 0.0f);
  EXPECT_NEAR(SpeedFromFrequency(crossing, 1100), 1100.0 / 80.0, 1e-4);
  // Quotients and constants past float's range.
  EXPECT_EQ(SpeedFromFrequency({{1.0f, 1e-38f}}, 2000000000), 0.0f);
  EXPECT_EQ(SpeedFromFrequency({{1000.0f, 3e38f}, {2000.0f, -3e38f}}, 1999), 0.0f);
  // Huge but usable constants still divide.
  EXPECT_GT(SpeedFromFrequency({{1000.0f, 3e38f}, {2000.0f, 3.4e38f}}, 1999), 0.0f);
}

TEST(SpeedFromFrequency, AnyTableGivesAFiniteSpeedOfZeroOrMore) {
  std::mt19937 rng(17);
  std::uniform_int_distribution<std::uint32_t> bits;
  std::uniform_int_distribution<int> rows(0, 5);
  for (int i = 0; i < 20000; ++i) {
    CalibrationTable table(static_cast<std::size_t>(rows(rng)));
    for (CalibrationEntry& entry : table) {
      const std::uint32_t f = bits(rng), c = bits(rng);
      std::memcpy(&entry.Frequency, &f, sizeof f);
      std::memcpy(&entry.Constant, &c, sizeof c);
    }
    const auto frequency = static_cast<std::int32_t>(bits(rng));
    const float speed = SpeedFromFrequency(table, frequency);
    ASSERT_TRUE(std::isfinite(speed) && speed >= 0.0f) << speed;
  }
}

TEST(SpeedFromFrequency, CoreConvertsWithItsOwnTable) {
  RecordingConsumer sink;
  MeasurementCore core(sink.InvalidPacketHandler());
  core.AddConsumer(sink);
  EXPECT_EQ(core.SpeedFromFrequency(1000), 0.0f);  // no table loaded yet
  core.Calibration() = {{1000.0f, 500.0f}};
  EXPECT_EQ(core.SpeedFromFrequency(3000), 6.0f);
  core.Calibration() = DefaultCalibrationTable();
  EXPECT_EQ(core.SpeedFromFrequency(4093), 2.0f);
  EXPECT_TRUE(sink.calls.empty());
}
