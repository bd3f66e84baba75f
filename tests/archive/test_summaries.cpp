#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>

#include "archive/archive_schema.h"
#include "tests/archive/archive_test_helpers.h"
#include "tests/support/temporary_program_dir.h"

namespace {

constexpr std::int64_t kStart = 1774000800;  // 2026-03-20 10:00 UTC

// Every record that follows another by at most kLongestInterval carries the time since it, but
// one of an earlier record's second carries 0.
void ExpectIntervalRule(const std::vector<StoredRecord>& records) {
  for (std::size_t i = 1; i < records.size(); ++i) {
    const std::int64_t since = records[i].time - records[i - 1].time;
    if (since > StationArchive::kLongestInterval) continue;
    EXPECT_EQ(records[i].interval, since)
        << "record at " << records[i].time << "/" << records[i].seq;
  }
}

// Live reports as capture makes them, of both stations interleaved: one record, a report less
// than a second after the last, several made-up rows of one second, a pause, a late report.
void AppendRandomReports(StationArchive& archive, std::mt19937& random,
                         std::array<std::int64_t, 2>& clock, const std::array<std::int32_t, 2>& ids,
                         int reports) {
  std::uniform_real_distribution<double> speed(0.0, 12.0);
  for (int i = 0; i < reports; ++i) {
    const std::size_t s = random() % 2;
    const unsigned kind = random() % 100;
    std::int64_t time = clock[s];
    int rows = 1;
    if (kind < 70) {
      time += 1 + random() % 30;
    } else if (kind < 82) {
      rows = 2 + static_cast<int>(random() % 3);  // made up for missed reports
      time += 5;
    } else if (kind < 88) {
      time += StationArchive::kLongestInterval + 1 + random() % 40000;
    } else if (kind < 93) {
      time -= random() % 4000;  // a late report, before others already there
    }                           // else a report within the same second
    std::vector<StoredRecord> report;
    for (int r = 0; r < rows; ++r) {
      const double avg = speed(random);
      report.push_back(Record(time, 3600, avg, avg + speed(random) / 3,
                              static_cast<std::int32_t>(random() % 17), rows > 1));
    }
    archive.AppendReport(ids[s], report);
    clock[s] = std::max(clock[s], time);
  }
}

// Records of a file put in before, between and after the ones already there, some twice.
void ImportRandomRecords(StationArchive& archive, std::mt19937& random,
                         const std::array<std::int64_t, 2>& clock,
                         const std::array<std::int32_t, 2>& ids, int records) {
  archive.BeginImport();
  for (int i = 0; i < records; ++i) {
    const std::size_t s = random() % 2;
    StoredRecord r =
        Record(kStart + static_cast<std::int64_t>(random() % (clock[s] - kStart + 900)), 3600,
               (random() % 900) / 100.0, 9.5, static_cast<std::int32_t>(random() % 16));
    r.seq = static_cast<std::int32_t>(random() % 3);
    archive.Import(ids[s], r);
  }
  archive.CommitImport();
}

TEST(ArchiveSummaries, KeptAsRecordsArriveEqualThoseRebuiltFromThemBitForBit) {
  const TemporaryProgramDir dir;
  std::optional<StationArchive> opened;
  opened.emplace(dir.File("archive.sqlite"), StationArchive::Access::Write);
  const std::array<std::int32_t, 2> ids{opened->Station("roof"), opened->Station("mast")};
  std::mt19937 random(20261207);
  std::array<std::int64_t, 2> clock{kStart, kStart};
  AppendRandomReports(*opened, random, clock, ids, 300);
  ImportRandomRecords(*opened, random, clock, ids, 40);
  AppendRandomReports(*opened, random, clock, ids, 100);
  opened.reset();  // the program restarts: the open periods come back from the file
  StationArchive& archive =
      opened.emplace(dir.File("archive.sqlite"), StationArchive::Access::Write);
  AppendRandomReports(archive, random, clock, ids, 50);
  ImportRandomRecords(archive, random, clock, ids, 40);
  AppendRandomReports(archive, random, clock, ids, 50);

  std::array<std::array<std::vector<PeriodSummary>, 3>, 2> kept;
  for (std::size_t s = 0; s < 2; ++s) {
    ExpectIntervalRule(AllRecords(archive, ids[s]));
    EXPECT_EQ(SummariesAgainstRecords(archive, ids[s]), "");
    for (std::size_t i = 0; i < 3; ++i) {
      kept[s][i] = archive.Summaries(ids[s], kResolutions[i], kAllFrom, kAllTo);
    }
  }
  EXPECT_GE(kept[0][2].size(), 3u) << "the reports span several days";
  EXPECT_EQ(archive.Check(), std::vector<std::string>{});

  archive.RebuildSummaries();
  for (std::size_t s = 0; s < 2; ++s) {
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(archive.Summaries(ids[s], kResolutions[i], kAllFrom, kAllTo), kept[s][i]);
    }
  }
}

// One hour of a station's records, laid out by hand, and the interval each should get.
struct HandRecord {
  std::int64_t second;  // from the hour's start
  double avg, gust;
  std::int32_t sector;
  std::int32_t interval;
};
// clang-format off
constexpr HandRecord kHour[] = {
    {0,   2.0, 3.0, 15, 0},   // the station's first record: no interval known yet
    {10,  2.0, 6.0, 1,  10},  // the highest gust, first reached here
    {10,  0.1, 1.0, 8,  0},   // calm, a report less than a second later
    {20,  0.2, 0.5, 16, 10},  // calm, no direction
    {900, 4.0, 6.0, 4,  10},  // after a pause: the last interval, not the pause
    {905, 3.0, 4.0, 4,  5},
    {1200, 0.1, 0.2, 3, 295}, // a minute with no wind: no sector in its wind rose
};
// clang-format on

TEST(ArchiveSummaries, StatisticsOfAHandMadeHourAgreeWithTheirDefinitions) {
  const TemporaryProgramDir dir;
  StationArchive archive(dir.File("archive.sqlite"), StationArchive::Access::Write);
  for (const bool imported : {false, true}) {
    SCOPED_TRACE(imported ? "imported" : "appended");
    const std::int32_t station = archive.Station(imported ? "file" : "live");
    if (imported) archive.BeginImport();
    for (std::size_t i = 0; i < std::size(kHour); ++i) {
      const HandRecord& h = kHour[i];
      StoredRecord r = Record(kStart + h.second, 0, h.avg, h.gust, h.sector);
      r.seq = i > 0 && kHour[i - 1].second == h.second ? 1 : 0;
      imported ? static_cast<void>(archive.Import(station, r)) : Append(archive, station, r);
    }
    if (imported) archive.CommitImport();

    const auto records = AllRecords(archive, station);
    ASSERT_EQ(records.size(), std::size(kHour));
    WindSummary expected;
    double run = 0.0;
    std::int64_t calm = 0;
    std::array<std::int64_t, 16> sectors{};
    for (std::size_t i = 0; i < records.size(); ++i) {
      EXPECT_EQ(records[i].interval, kHour[i].interval) << i;
      expected.duration += kHour[i].interval;
      run += kHour[i].avg * kHour[i].interval;
      if (kHour[i].avg < 0.3) ++calm;
      if (kHour[i].avg >= 0.3 && kHour[i].sector < 16) ++sectors[kHour[i].sector];
    }
    const auto hours = archive.Summaries(station, Resolution::Hour, kAllFrom, kAllTo);
    ASSERT_EQ(hours.size(), 1u);
    const WindSummary& hour = hours[0].summary;
    EXPECT_EQ(hour.count, std::ssize(kHour));
    EXPECT_EQ(hour.duration, expected.duration);
    EXPECT_NEAR(hour.windRun, run, 1e-9);
    EXPECT_NEAR(MeanSpeed(hour), run / static_cast<double>(expected.duration), 1e-12);
    EXPECT_EQ(hour.gustMax, ToMillionths(6.0));
    EXPECT_EQ(hour.gustMaxTime, kStart + 10);
    EXPECT_EQ(hour.gustMaxSector, 1);
    EXPECT_EQ(hour.calmCount, calm);
    EXPECT_EQ(hour.sectorCount, sectors);
    EXPECT_NEAR(hour.sectorRun[4], 4.0 * 10 + 3.0 * 5, 1e-9);
    EXPECT_EQ(hour.speedMinTime, kStart + 10);
    EXPECT_EQ(hour.speedMaxTime, kStart + 900);

    // NNW and NNE at the same speed, a calm southerly breath between: north, not south.
    const auto minutes = archive.Summaries(station, Resolution::Minute, kAllFrom, kAllTo);
    ASSERT_EQ(minutes.size(), 3u);
    const auto direction = VectorMeanDirection(minutes[0].summary);
    ASSERT_TRUE(direction.has_value());
    EXPECT_LT(std::min(*direction, 360.0 - *direction), 0.5) << *direction;
    EXPECT_EQ(SectorOfDegrees(*direction), 0);
    EXPECT_EQ(SummariesAgainstRecords(archive, station), "");
  }
}

}  // namespace
