// ProcessSample and AddRecord: derived values, the store's limit, the running statistics and
// the order in which the rest of the program hears of each record.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/measurement_core.h"
#include "core/weather.h"
#include "tests/support/recording_consumer.h"

namespace {

using Call = RecordingConsumer::Call;

// The wind chill index as the textbook writes it, in double precision.
double TextbookWindChill(double speed, double temperature) {
  const double p = std::pow(speed * 3.6, 0.16);
  return std::min(13.12 + 0.6215 * temperature - 11.37 * p + 0.3965 * temperature * p, temperature);
}

class ProcessingTest : public ::testing::Test {
 protected:
  // A record through AddRecord whose only interesting values are speed and temperature.
  void Add(float avgSpeed, float temperature, bool display = true) {
    core_.AddRecord(3, display, time_, avgSpeed, avgSpeed, temperature, temperature, temperature,
                    0.0f, 0.0f);
  }

  ProcessingTest() { core_.AddConsumer(sink_); }

  RecordingConsumer sink_;
  MeasurementCore core_;
  SystemTime time_{2024, 3, 1, 15, 12, 30, 45, 0};
};

}  // namespace

TEST(WindChill, KnownValues) {
  EXPECT_EQ(WindChill(0.0f, 20.0f), 20.0f);  // calm: 13.12 + 12.43 is above the air
  EXPECT_NEAR(WindChill(10.0f, -10.0f), -20.3, 0.05);
  EXPECT_EQ(WindChill(5.0f, 30.0f), 30.0f);  // never above the air temperature
  EXPECT_NEAR(WindChill(0.0f, 40.0f), 13.12 + 0.6215 * 40.0, 1e-5);
  EXPECT_EQ(WindChill(0.0f, -10.0f), -10.0f);
}

TEST(WindChill, FollowsTheIndexOverTheUsualRange) {
  for (float speed = 0.0f; speed <= 45.0f; speed += 0.7f) {
    for (float temperature = -40.0f; temperature <= 40.0f; temperature += 2.5f) {
      const float chill = WindChill(speed, temperature);
      ASSERT_NEAR(chill, TextbookWindChill(speed, temperature), 2e-4 * (1 + std::fabs(chill)))
          << speed << ' ' << temperature;
      ASSERT_LE(chill, temperature);
    }
  }
}

TEST(WindChill, StaysFiniteForAnyFiniteInput) {
  const float extremes[] = {-3.4e38f, -1e20f, -1.0f, 0.0f, 1e-30f, 41.0f, 1e20f, 3.4e38f};
  for (float speed : extremes) {
    for (float temperature : extremes) {
      const float chill = WindChill(speed, temperature);
      EXPECT_TRUE(std::isfinite(chill)) << speed << ' ' << temperature;
      EXPECT_LE(chill, temperature);
    }
  }
  EXPECT_EQ(WindChill(-5.0f, -10.0f), WindChill(0.0f, -10.0f));  // no rotor runs backwards
}

TEST(BeaufortNumber, KnownValuesAndSpeedsBetweenBands) {
  const std::pair<float, float> cases[] = {
      {0.0f, 0},   {0.1f, 0},   {0.2f, 0},
      {0.25f, 0},  {0.3f, 1},   {1.5f, 1},
      {1.55f, 1},  {1.6f, 2},   {15.05f, 7},
      {32.7f, 12}, {40.8f, 12}, {41.0f, 12},
      {1e30f, 12}, {-1.0f, 0},  {std::numeric_limits<float>::quiet_NaN(), 0}};
  for (const auto& [speed, number] : cases) EXPECT_EQ(BeaufortNumber(speed), number) << speed;
}

TEST(BeaufortNumber, EachBandStartsAtItsLowerBound) {
  const double lowerBounds[] = {0.3, 1.6, 3.4, 5.5, 8.0, 10.8, 13.9, 17.2, 20.8, 24.5, 28.5, 32.7};
  for (int band = 1; band <= 12; ++band) {
    const double bound = lowerBounds[band - 1];
    // The smallest float not below the bound, and the largest one below it.
    auto first = static_cast<float>(bound);
    if (static_cast<double>(first) < bound) first = std::nextafter(first, 100.0f);
    const float below = std::nextafter(first, 0.0f);
    EXPECT_EQ(BeaufortNumber(first), static_cast<float>(band)) << bound;
    EXPECT_EQ(BeaufortNumber(below), static_cast<float>(band - 1)) << bound;
  }
}

TEST_F(ProcessingTest, ProcessSampleStoresDerivedValuesAndHandsThemOn) {
  core_.ProcessSample(7, time_, 10.0f, 14.0f, -10.0f);
  EXPECT_EQ(sink_.calls, std::vector{Call::TakeRecord});

  ASSERT_EQ(core_.Records().Size(), 1u);
  const MeasurementRecord& record = core_.Records().Newest();
  EXPECT_EQ(record.Time, time_);
  EXPECT_EQ(record.Sector, 7);
  EXPECT_EQ(record.SectorAccumulator, 0);
  EXPECT_EQ(record.AvgSpeed, 10.0f);
  EXPECT_EQ(record.GustSpeed, 14.0f);
  EXPECT_EQ(record.Temperature, -10.0f);
  EXPECT_NEAR(record.WindChillAvg, TextbookWindChill(10.0, -10.0), 1e-4);
  EXPECT_NEAR(record.WindChillGust, TextbookWindChill(14.0, -10.0), 1e-4);
  EXPECT_EQ(record.BeaufortAvg, 5.0f);
  EXPECT_EQ(record.BeaufortGust, 7.0f);

  ASSERT_EQ(sink_.taken.size(), 1u);
  const MeasurementRecord& taken = sink_.taken[0].Record;
  EXPECT_EQ(taken.WindChillAvg, record.WindChillAvg);
  EXPECT_EQ(taken.WindChillGust, record.WindChillGust);
  EXPECT_EQ(taken.BeaufortGust, 7.0f);
  EXPECT_EQ(sink_.taken[0].Context.DroppedOldest, 0);
  EXPECT_FALSE(sink_.taken[0].Context.MadeUp);
}

TEST_F(ProcessingTest, ConsumersTakeEachRecordInTheOrderTheyWereAdded) {
  std::vector<std::string> journal;
  RecordingConsumer display("display", &journal);
  RecordingConsumer alarms("alarms", &journal);
  RecordingConsumer log("log", &journal);
  MeasurementCore core;
  core.AddConsumer(display);
  core.AddConsumer(alarms);
  core.AddConsumer(log);
  core.ProcessSample(1, time_, 1.0f, 2.0f, 3.0f);
  core.RemoveConsumer(alarms);
  core.ProcessSample(2, time_, 1.0f, 2.0f, 3.0f, /*madeUp=*/true);
  EXPECT_EQ(journal, (std::vector<std::string>{"display record", "alarms record", "log record",
                                               "display record", "log record"}));
  EXPECT_TRUE(log.taken.back().Context.MadeUp);
}

TEST_F(ProcessingTest, AddRecordKeepsEveryValueInItsField) {
  EXPECT_EQ(core_.AddRecord(9, false, time_, 1.5f, 2.5f, -3.5f, -4.5f, -5.5f, 1.0f, 2.0f), 0);
  EXPECT_TRUE(sink_.calls.empty());  // no consumers for the file reader
  const MeasurementRecord& record = core_.Records().Newest();
  EXPECT_EQ(record.Sector, 9);
  EXPECT_EQ(record.AvgSpeed, 1.5f);
  EXPECT_EQ(record.GustSpeed, 2.5f);
  EXPECT_EQ(record.Temperature, -3.5f);
  EXPECT_EQ(record.WindChillAvg, -4.5f);
  EXPECT_EQ(record.WindChillGust, -5.5f);
  EXPECT_EQ(record.BeaufortAvg, 1.0f);
  EXPECT_EQ(record.BeaufortGust, 2.0f);
  EXPECT_EQ(core_.Statistics().Count(), 1u);  // statistics count file rows as well
}

TEST_F(ProcessingTest, FullStoreDropsTheOldestRowFirst) {
  for (std::size_t i = 0; i < RecordStore::kLimit; ++i) Add(static_cast<float>(i), 0.0f, false);
  ASSERT_EQ(core_.Records().Size(), RecordStore::kLimit);
  EXPECT_TRUE(sink_.calls.empty());

  Add(-1.0f, 0.0f);
  EXPECT_EQ(core_.Records().Size(), RecordStore::kLimit);
  ASSERT_EQ(sink_.calls, std::vector{Call::TakeRecord});
  EXPECT_EQ(sink_.taken[0].Context.DroppedOldest, 1);  // the grid drops its bottom row first
  EXPECT_EQ(core_.Records()[0].AvgSpeed, 1.0f);
  EXPECT_EQ(core_.Records().Newest().AvgSpeed, -1.0f);

  // Without display the caller is told, so that its grid shrinks too.
  EXPECT_EQ(core_.AddRecord(3, false, time_, -2.0f, 0, 0, 0, 0, 0, 0), 1);
  EXPECT_EQ(core_.Records()[0].AvgSpeed, 2.0f);
}

TEST_F(ProcessingTest, StatisticsOfThreeTemperatures) {
  Add(1.0f, -5.0f);
  Add(1.0f, -3.0f);
  Add(1.0f, -7.0f);
  const RunningStatistics& statistics = core_.Statistics();
  EXPECT_EQ(statistics.TemperatureMin(), -7.0f);
  EXPECT_EQ(statistics.TemperatureMax(), -3.0f);
  EXPECT_EQ(statistics.TemperatureSum(), -15.0f);
  ASSERT_EQ(sink_.taken.size(), 3u);
  const DisplayStatistics& shown = sink_.taken.back().Context.Statistics;
  EXPECT_EQ(shown.TemperatureMean, -5.0f);
  EXPECT_EQ(shown.TemperatureMin, -7.0f);
  EXPECT_EQ(shown.TemperatureMax, -3.0f);
  EXPECT_EQ(shown.AvgSpeedMean, 1.0f);
  // Each display sees the statistics including its own record.
  EXPECT_EQ(sink_.taken[0].Context.Statistics.TemperatureMean, -5.0f);
  EXPECT_EQ(sink_.taken[1].Context.Statistics.TemperatureMean, -4.0f);
}

TEST_F(ProcessingTest, ExtremesOfExactlyZeroSurvive) {
  Add(0.0f, -2.0f);
  Add(3.0f, 0.0f);
  Add(1.0f, -1.0f);
  const RunningStatistics& statistics = core_.Statistics();
  EXPECT_EQ(statistics.AvgSpeedMin(), 0.0f);
  EXPECT_EQ(statistics.AvgSpeedMax(), 3.0f);
  EXPECT_EQ(statistics.TemperatureMin(), -2.0f);
  EXPECT_EQ(statistics.TemperatureMax(), 0.0f);

  // And after a reset the first record sets every extreme, whatever the old ones were.
  core_.ResetStatistics();
  EXPECT_FALSE(core_.Statistics().HasValues());
  Add(5.0f, 7.0f);
  EXPECT_EQ(core_.Statistics().AvgSpeedMin(), 5.0f);
  EXPECT_EQ(core_.Statistics().TemperatureMax(), 7.0f);
  EXPECT_EQ(core_.Statistics().TemperatureMin(), 7.0f);
  EXPECT_EQ(sink_.taken.back().Context.Statistics.AvgSpeedMean, 5.0f);
}

TEST_F(ProcessingTest, MeansCoverEveryRecordSinceTheResetPastTheStoreLimit) {
  for (std::size_t i = 0; i < RecordStore::kLimit; ++i) Add(1.0f, 10.0f, false);
  for (std::size_t i = 0; i < RecordStore::kLimit - 1; ++i) Add(3.0f, 20.0f, false);
  Add(3.0f, 20.0f);
  ASSERT_EQ(core_.Records().Size(), RecordStore::kLimit);
  const DisplayStatistics& shown = sink_.taken.back().Context.Statistics;
  EXPECT_EQ(shown.AvgSpeedMean, 2.0f);
  EXPECT_EQ(shown.TemperatureMean, 15.0f);
  EXPECT_EQ(shown.AvgSpeedMin, 1.0f);
  EXPECT_EQ(shown.TemperatureMax, 20.0f);
}

TEST(RunningStatistics, NothingAddedShowsZeros) {
  const RunningStatistics statistics;
  const DisplayStatistics shown = statistics.Current();
  EXPECT_EQ(shown.AvgSpeedMean, 0.0f);
  EXPECT_EQ(shown.TemperatureMean, 0.0f);
}
