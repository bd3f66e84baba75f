#include <gtest/gtest.h>

#include "archive/civil_time.h"
#include "archive_tool/same_second_counter.h"
#include "archive_tool/time_arguments.h"
#include "archive_tool/wind_units.h"

namespace {

constexpr std::int64_t kDay = 86400;

std::int64_t Day(std::int64_t year, unsigned month, unsigned day) {
  return DaysFromCivil(year, month, day) * kDay;
}

TEST(ArchiveToolTimes, IsoTimesAndWholeDays) {
  struct Case {
    const char* text;
    bool wholeDay;
    std::optional<std::int64_t> expected;
  };
  // clang-format off
  const Case cases[] = {
      {"2026-12-07",          false, Day(2026, 12, 7)},
      {"2026-12-07",          true,  Day(2026, 12, 8)},
      {"2026-12-31",          true,  Day(2027, 1, 1)},
      {"2026-12-07T13:45",    true,  Day(2026, 12, 7) + 13 * 3600 + 45 * 60},
      {"2026-12-07 13:45:09", false, Day(2026, 12, 7) + 13 * 3600 + 45 * 60 + 9},
      {"2024-02-29",          false, Day(2024, 2, 29)},
      {"2026-02-29",          false, std::nullopt},
      {"2026-13-01",          false, std::nullopt},
      {"2026-12-07T24:00",    false, std::nullopt},
      {"2026-12-07T13:45:9",  false, std::nullopt},
      {"2026-12-07X13:45",    false, std::nullopt},
      {"26-12-07",            false, std::nullopt},
      {"1969-12-31",          false, std::nullopt},
      {"",                    false, std::nullopt},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(LocalSecondsFromIso(c.text, c.wholeDay), c.expected) << c.text;
  }
}

TEST(ArchiveToolTimes, MonthsAndYearsSpanTheirDays) {
  EXPECT_EQ(MonthSpan("2024-02")->to - MonthSpan("2024-02")->from, 29 * kDay);
  EXPECT_EQ(MonthSpan("2026-12")->from, Day(2026, 12, 1));
  EXPECT_EQ(MonthSpan("2026-12")->to, Day(2027, 1, 1));
  EXPECT_EQ(YearSpan("2024")->to - YearSpan("2024")->from, 366 * kDay);
  for (const char* bad : {"2026-00", "2026-1", "2026/12", "202612", "2026-12-01"}) {
    EXPECT_FALSE(MonthSpan(bad)) << bad;
  }
  for (const char* bad : {"26", "20266", "abcd", "1969"}) EXPECT_FALSE(YearSpan(bad)) << bad;
}

TEST(ArchiveToolTimes, RepeatedSecondsCountUpWhereverTheyComeBack) {
  SameSecondCounter counter;
  // Two records a second apart, then the hour the clocks go back: its seconds come again.
  const std::int64_t times[] = {100, 100, 101, 3700, 100, 101, 101, 3701, 100};
  const std::int32_t expected[] = {0, 1, 0, 0, 2, 1, 2, 0, 3};
  for (std::size_t i = 0; i < std::size(times); ++i) {
    EXPECT_EQ(counter.Next(times[i]), expected[i]) << i;
  }
}

TEST(ArchiveToolUnits, SpeedsAndWindRunInEachUnit) {
  struct Case {
    const char* name;
    double speedOf10;  // 10 m/s
    double runOf1852;  // 1852 m
    const char* runName;
  };
  // clang-format off
  const Case cases[] = {
      {"ms",  10.0,              1.852,             "km"},
      {"kmh", 36.0,              1.852,             "km"},
      {"kn",  36000.0 / 1852.0,  1.0,               "nmi"},
      {"mph", 36000.0 / 1609.344, 1852.0 / 1609.344, "mi"},
  };
  // clang-format on
  for (const Case& c : cases) {
    const std::optional<WindUnits> units = WindUnitsFromName(c.name);
    ASSERT_TRUE(units) << c.name;
    EXPECT_NEAR(units->Speed(10.0), c.speedOf10, 1e-9) << c.name;
    EXPECT_NEAR(units->Run(1852.0), c.runOf1852, 1e-9) << c.name;
    EXPECT_STREQ(units->RunName(), c.runName);
  }
  EXPECT_FALSE(WindUnitsFromName("m/s"));
}

}  // namespace
