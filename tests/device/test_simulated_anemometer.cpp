#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "core/calibration.h"
#include "core/packet.h"
#include "device/simulated_anemometer.h"
#include "device/simulated_weather.h"
#include "device/usb_anemometer.h"
#include "tests/device/link_test_helpers.h"
#include "tests/support/fixed_clock.h"

namespace {

using namespace std::chrono_literals;

TEST(SimulatedFrequencyFromSpeed, TheDefaultCalibrationReadsTheSpeedBack) {
  const CalibrationTable table = DefaultCalibrationTable();
  for (double speed = 1.0; speed <= 30.0; speed += 0.1) {
    const std::int32_t frequency = SimulatedFrequencyFromSpeed(speed);
    EXPECT_NEAR(SpeedFromFrequency(table, frequency), speed, 0.002) << "at " << speed << " m/s";
  }
}

struct Report {
  std::uint32_t Counter;
  float Average;  // m/s through the default calibration
  float Gust;
  int Direction;
  float Temperature;
};

std::vector<Report> Simulate(std::uint32_t seed, int count) {
  const CalibrationTable table = DefaultCalibrationTable();
  SimulatedWeather weather(seed);
  std::vector<Report> reports;
  for (int i = 0; i < count; ++i) {
    const Packet packet = weather.NextReport();
    const auto fields = ParsePacket(packet);
    EXPECT_TRUE(fields.has_value()) << "report " << i + 1 << " of seed " << seed;
    if (!fields) {
      break;
    }
    EXPECT_EQ(packet[0], 0);
    reports.push_back({CounterOf(packet), SpeedFromFrequency(table, fields->AvgFrequency),
                       SpeedFromFrequency(table, fields->GustFrequency), fields->DirectionCode,
                       fields->Temperature});
  }
  return reports;
}

int SectorStep(int from, int to) {
  const int step = std::abs(to - from) % 16;
  return std::min(step, 16 - step);
}

class SimulatedWeatherSeeds : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(SimulatedWeatherSeeds, ReportsParseAndDescribePlausibleWeather) {
  constexpr int kReports = 20000;
  const std::vector<Report> reports = Simulate(GetParam(), kReports);
  ASSERT_EQ(reports.size(), static_cast<std::size_t>(kReports));

  std::set<int> sectors;
  int unchangedDirection = 0;
  double lowestMean = 1e9;
  double highestMean = 0;
  double windowSum = 0;
  constexpr int kWindow = 300;  // five minutes at one report a second
  for (std::size_t i = 0; i < reports.size(); ++i) {
    const Report& r = reports[i];
    EXPECT_EQ(r.Counter, i + 1);
    EXPECT_GE(r.Average, 1.5f);
    EXPECT_LE(r.Average, 14.0f);
    EXPECT_GT(r.Gust, r.Average);
    EXPECT_LE(r.Gust, 2.4f * r.Average);
    EXPECT_GE(r.Direction, 1);
    EXPECT_LE(r.Direction, 16);
    EXPECT_GE(r.Temperature, -9.9f);
    EXPECT_LE(r.Temperature, 35.0f);
    sectors.insert(r.Direction);
    windowSum += r.Average;
    if (i >= kWindow) {
      windowSum -= reports[i - kWindow].Average;
    }
    if (i + 1 >= kWindow) {
      lowestMean = std::min(lowestMean, windowSum / kWindow);
      highestMean = std::max(highestMean, windowSum / kWindow);
    }
    if (i > 0) {
      const Report& before = reports[i - 1];
      const int step = SectorStep(before.Direction, r.Direction);
      EXPECT_LE(step, 2);
      unchangedDirection += step == 0 ? 1 : 0;
      EXPECT_LE(std::fabs(r.Temperature - before.Temperature), 0.25f);
    }
  }
  // The mean wind wanders over a good part of 2..12 m/s, but slowly.
  EXPECT_GT(highestMean - lowestMean, 3.0);
  // The vane veers slowly: mostly it stays in its sector, yet it comes round over the hours.
  EXPECT_GT(unchangedDirection, kReports * 8 / 10);
  EXPECT_GE(sectors.size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(, SimulatedWeatherSeeds, ::testing::Values(1u, 2u, 3u, 20240314u));

TEST(SimulatedWeather, TheSameSeedGivesTheSameReportsAndAnotherDiffers) {
  SimulatedWeather first(99);
  SimulatedWeather again(99);
  SimulatedWeather other(100);
  bool differs = false;
  for (int i = 0; i < 50; ++i) {
    const Packet report = first.NextReport();
    EXPECT_EQ(report, again.NextReport());
    differs = differs || report != other.NextReport();
  }
  EXPECT_TRUE(differs);
}

TEST(SimulatedAnemometer, EnumeratesAsTheAnemometerAndNothingElse) {
  SimulatedAnemometer simulated(1ms, 1);
  const auto found = simulated.Enumerate(kAnemometerVendorId, kAnemometerProductId);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].VendorId, kAnemometerVendorId);
  EXPECT_EQ(found[0].ProductId, kAnemometerProductId);
  EXPECT_TRUE(simulated.Enumerate(kAnemometerVendorId, 0x0002).empty());
  EXPECT_EQ(simulated.Identify(found[0].Path).Outcome, HidOpenOutcome::Opened);
  EXPECT_EQ(simulated.Identify("/dev/hidraw0").Outcome, HidOpenOutcome::Failed);
  EXPECT_EQ(simulated.Open("/dev/hidraw0"), nullptr);
}

TEST(SimulatedAnemometer, FeedsTheLinkReportsThatParseWithRisingCounters) {
  SimulatedAnemometer simulated(2ms, 7);
  FixedClock clock;
  NotificationLog log;
  TUsbAnemometer link(kAnemometerVendorId, kAnemometerProductId, log.Callback(), simulated, clock);
  ASSERT_EQ(link.FindDevice(), 0);
  ASSERT_EQ(link.StartReading(), 0);
  std::uint32_t last = 0;
  int awaited = 1;
  for (int take = 0; take < 5; ++take) {
    ASSERT_TRUE(log.WaitForData(awaited));
    SystemTime time;
    Packet report{};
    link.TakePacket(time, report);
    EXPECT_TRUE(ParsePacket(report).has_value());
    EXPECT_GT(CounterOf(report), last);
    last = CounterOf(report);
    // The report taken is at most one past the notifications counted so far (it may be stored
    // but not yet announced), so two more announcements guarantee a newer one.
    awaited = log.Data() + 2;
  }
  EXPECT_EQ(link.StopReading(), 0);
  const int published = log.Data();

  // The device keeps counting across a stop, as a plugged-in anemometer does.
  ASSERT_EQ(link.StartReading(), 0);
  ASSERT_TRUE(log.WaitForData(published + 1));
  link.StopReading();
  SystemTime time;
  Packet report{};
  link.TakePacket(time, report);
  EXPECT_GT(CounterOf(report), last);
  EXPECT_EQ(log.Removed(), 0);
}

}  // namespace
