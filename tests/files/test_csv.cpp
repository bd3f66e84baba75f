#include <gtest/gtest.h>

#include <cstdio>

#include "core/direction_sector.h"
#include "files/csv_format.h"
#include "files/csv_writer.h"
#include "files/data_file_reader.h"
#include "files/file_messages.h"
#include "tests/files/files_test_helpers.h"

namespace {

TEST(CsvFormat, RowsMatchPrintfForAnyValuesDatesAndSectors) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> u16(0, 65535), sector(-3, 20);
  for (int i = 0; i < 3000; ++i) {
    MeasurementRecord r = RandomRecord(random);
    if (i % 2) {  // widened fields, five-digit dates, sectors without a name
      r.Temperature *= 1e5f;
      r.Time.Year = static_cast<std::uint16_t>(u16(random));
      r.Time.Day = static_cast<std::uint16_t>(u16(random));
      r.Sector = sector(random);
    }
    char date[64], line[512];  // the C library is the reference; tests run in the C locale
    std::snprintf(date, sizeof date, "%d.%d %d %02d:%02d:%02d", r.Time.Day, r.Time.Month,
                  r.Time.Year, r.Time.Hour, r.Time.Minute, r.Time.Second);
    std::snprintf(line, sizeof line, "%20s,%10f,%10f,%10f,%10f,%10f,%10f,%10f,%10s\r\n", date,
                  double{r.AvgSpeed}, double{r.GustSpeed}, double{r.Temperature},
                  double{r.WindChillAvg}, double{r.WindChillGust}, double{r.BeaufortAvg},
                  double{r.BeaufortGust}, SectorName(r.Sector));
    ASSERT_EQ(CsvRowLine(r), line);
  }
  EXPECT_EQ(CsvRowLine(MakeRecord({1, 1, 2000, 0, 0, 0}, {}, 16)).substr(98), "        --\r\n");
}

TEST(SaveCsv, WritesTheGoldenFileOldestFirstAfterTheStoreWrapped) {
  RecordStore store;  // the rows behind a dropped one: writing must start at the oldest
  store.Append(MakeRecord({2, 2, 2002, 2, 2, 2}, {}, 2));
  store.Append(MakeRecord({6, 12, 2008, 14, 5, 33}, {3.25f, 5.5f, -2, -6.1f, -8.4f, 2, 3}, 1));
  store.Append(MakeRecord({1, 3, 2009, 9, 5, 7}, {0, 0.4f, -1000.5f, -1000.5f, -1000.5f, 0, 0}, 0));
  store.Append(
      MakeRecord({31, 1, 2008, 23, 59, 59}, {12.75f, 20.125f, 15.3f, 15.3f, 15.3f, 6, 8}, 11));
  store.RemoveOldest();
  TempDir dir;
  ASSERT_EQ(SaveCsv(dir / "a.csv", store), FileOutcome::Ok);
  EXPECT_EQ(ReadBytes(dir / "a.csv"), ReadBytes(TestDataFile("saved_rows.csv")));
  ASSERT_EQ(SaveCsv(dir / "a.csv", RecordStore{}), FileOutcome::Ok);  // emptied, header only
  EXPECT_EQ(ReadBytes(dir / "a.csv"), CsvHeaderLine());
}

TEST(SaveCsv, ReportsFailuresToOpenAndToWrite) {
  const RecordStore store = RandomStore(3);
  EXPECT_EQ(OutcomeMessage(SaveCsv(kUnwritableDir / "a.csv", store), "my.csv"),
            "Cannot open file: my.csv");
  // A few rows stay in the stream's buffer: only the final flush meets the full disk.
  EXPECT_EQ(OutcomeMessage(SaveCsv("/dev/full", store), "full.csv"), "Cannot write file: full.csv");
  EXPECT_EQ(SaveCsv("/dev/full", RandomStore(2000)), FileOutcome::CannotWrite);
}

TEST(SaveCsv, SaveOpenSaveGivesIdenticalBytes) {
  TempDir dir;
  ASSERT_EQ(SaveCsv(dir / "first.csv", RandomStore(RecordStore::kLimit)), FileOutcome::Ok);
  RecordStore loaded;
  ASSERT_EQ(ReadDataFile(dir / "first.csv", [&](const MeasurementRecord& r) { loaded.Append(r); }),
            ReadOutcome::Ok);
  ASSERT_EQ(loaded.Size(), RecordStore::kLimit);
  ASSERT_EQ(SaveCsv(dir / "second.csv", loaded), FileOutcome::Ok);
  EXPECT_EQ(ReadBytes(dir / "second.csv"), ReadBytes(dir / "first.csv"));
}

}  // namespace
