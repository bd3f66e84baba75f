#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "archive/civil_time.h"
#include "tests/archive/archive_test_helpers.h"
#include "tests/support/temporary_program_dir.h"

namespace {

// The process's time zone for one test, the previous one back afterwards.
class ZoneForTest {
 public:
  explicit ZoneForTest(const char* zone) {
    if (const char* previous = std::getenv("TZ")) previous_ = previous;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneForTest() {
    if (previous_) {
      setenv("TZ", previous_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::optional<std::string> previous_;
};

std::int64_t SecondsOfDate(int year, int month, int day, int hour = 0, int minute = 0,
                           int second = 0) {
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  return timegm(&fields);
}

std::int32_t PragueOffsetAt(std::int64_t utc) {
  const std::time_t time = utc;
  std::tm fields{};
  localtime_r(&time, &fields);
  return static_cast<std::int32_t>(fields.tm_gmtoff);
}

// clang-format off
struct PragueTime { int year, month, day, hour, minute, second; std::int32_t offset; };
constexpr PragueTime kPragueTimes[] = {
    {1970, 1, 1, 1, 0, 0, 3600},       // UTC's second 0
    {2024, 2, 29, 12, 0, 0, 3600},     // leap day
    {2024, 7, 1, 23, 59, 59, 7200},
    {2038, 1, 19, 4, 14, 8, 3600},     // past 32-bit seconds
    {2041, 8, 15, 9, 30, 0, 7200},
    {2100, 3, 1, 0, 0, 0, 3600},       // 2100 is no leap year
};
// clang-format on

TEST(ArchiveLocalTime, LocalTimesTurnIntoUtcAndBack) {
  const ZoneForTest zone("Europe/Prague");
  for (const PragueTime& p : kPragueTimes) {
    SCOPED_TRACE(std::to_string(p.year) + "-" + std::to_string(p.month) + "-" +
                 std::to_string(p.day));
    const std::int64_t local = SecondsOfDate(p.year, p.month, p.day, p.hour, p.minute, p.second);
    const SystemTime fields = CivilFromSeconds(local);
    EXPECT_EQ(fields.Year, p.year);
    EXPECT_EQ(fields.Month, p.month);
    EXPECT_EQ(fields.Day, p.day);
    EXPECT_EQ(fields.Hour * 3600 + fields.Minute * 60 + fields.Second,
              p.hour * 3600 + p.minute * 60 + p.second);
    std::tm tm{};
    const std::time_t asUtc = local;
    gmtime_r(&asUtc, &tm);
    EXPECT_EQ(fields.DayOfWeek, tm.tm_wday);
    EXPECT_EQ(SecondsFromCivil(fields), local);
    const UtcTime utc = UtcFromLocal(fields);
    EXPECT_EQ(utc.offset, p.offset);
    EXPECT_EQ(utc.utc, local - p.offset);
  }
  // The hour that happens twice: either offset, but the same local time.
  const std::int64_t twice = SecondsOfDate(2026, 10, 25, 2, 30);
  const UtcTime utc = UtcFromLocal(CivilFromSeconds(twice));
  EXPECT_TRUE(utc.offset == 3600 || utc.offset == 7200) << utc.offset;
  EXPECT_EQ(utc.utc + utc.offset, twice);
}

TEST(ArchiveLocalTime, TheDayTheClocksGoBackHasTwentyFiveHoursAndOneHourTwice) {
  const ZoneForTest zone("Europe/Prague");
  const TemporaryProgramDir dir;
  StationArchive archive(dir.File("archive.sqlite"), StationArchive::Access::Write);
  const std::int32_t station = archive.Station("roof");
  // Every five minutes from local midnight of the 24th (CEST) to that of the 27th (CET).
  const std::int64_t first = SecondsOfDate(2026, 10, 23, 22);
  const std::int64_t last = SecondsOfDate(2026, 10, 26, 23);
  for (std::int64_t t = first - 300; t < last; t += 300) {
    Append(archive, station, Record(t, PragueOffsetAt(t), 3.0, 4.0, 2));
  }

  const auto day = [](int d) { return SecondsOfDate(2026, 10, d); };
  const auto days = archive.Summaries(station, Resolution::Day, day(24), day(27));
  ASSERT_EQ(days.size(), 3u);
  EXPECT_EQ(days[0].summary.duration, 24 * 3600);
  EXPECT_EQ(days[1].summary.duration, 25 * 3600);
  EXPECT_EQ(days[2].summary.duration, 24 * 3600);
  const auto hours = archive.Summaries(station, Resolution::Hour, day(25), day(26));
  ASSERT_EQ(hours.size(), 24u);
  EXPECT_EQ(hours[2].start, SecondsOfDate(2026, 10, 25, 2));
  EXPECT_EQ(hours[2].summary.count, 24);
  EXPECT_EQ(hours[3].summary.count, 12);
  const auto minute = archive.Summaries(station, Resolution::Minute, SecondsOfDate(2026, 10, 25, 2),
                                        SecondsOfDate(2026, 10, 25, 2, 1));
  ASSERT_EQ(minute.size(), 1u);
  EXPECT_EQ(minute[0].summary.count, 2) << "once in summer time, once in winter time";

  EXPECT_EQ(SummariesAgainstRecords(archive, station), "");
  const auto kept = archive.Summaries(station, Resolution::Minute, kAllFrom, kAllTo);
  archive.RebuildSummaries();
  EXPECT_EQ(archive.Summaries(station, Resolution::Minute, kAllFrom, kAllTo), kept);
  EXPECT_EQ(archive.Check(), std::vector<std::string>{});
}

}  // namespace
