#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/mount.h>

#include <chrono>
#include <functional>

#include "archive/archive_error.h"
#include "tests/archive/archive_test_helpers.h"
#include "tests/support/filling_disk.h"
#include "tests/support/hang_watchdog.h"
#include "tests/support/temporary_program_dir.h"

namespace {

constexpr std::int64_t kNoon = 1774008000;  // 2026-03-20 12:00 UTC

using Access = StationArchive::Access;

void RunSql(const std::filesystem::path& file, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

void MakeArchive(const std::filesystem::path& file, int records) {
  StationArchive archive(file, Access::Write);
  const std::int32_t station = archive.Station("roof");
  for (int i = 0; i < records; ++i) Append(archive, station, Record(kNoon + 5 * i, 0, 2.0, 3.0, 4));
}

ArchiveFault FaultOpening(const std::filesystem::path& file, Access access) {
  try {
    StationArchive archive(file, access);
  } catch (const ArchiveError& error) {
    return error.Fault();
  }
  ADD_FAILURE() << file << " opened";
  return ArchiveFault::Other;
}

struct RefusedFile {
  const char* what;
  std::function<void(const std::filesystem::path&)> make;
  ArchiveFault fault;
};

TEST(ArchiveOpening, AFileItCannotTakeIsRefusedAndLeftAsItWas) {
  const RefusedFile files[] = {
      {"a text file",
       [](const auto& file) { std::ofstream(file) << "time;speed\n2026-03-20 12:00;2.5\n"; },
       ArchiveFault::NotAnArchive},
      {"another program's SQLite file",
       [](const auto& file) {
         RunSql(file, "CREATE TABLE notes(text); INSERT INTO notes VALUES(1)");
       },
       ArchiveFault::NotAnArchive},
      {"an archive of a newer layout",
       [](const auto& file) {
         MakeArchive(file, 3);
         RunSql(file, "PRAGMA user_version = 2");
       },
       ArchiveFault::NewerSchema},
  };
  for (const RefusedFile& f : files) {
    for (const Access access : {Access::Read, Access::Write}) {
      SCOPED_TRACE(std::string(f.what) + (access == Access::Read ? ", reading" : ", writing"));
      const TemporaryProgramDir dir;
      const auto file = dir.File("archive.sqlite");
      f.make(file);
      const std::string before = FileBytes(file);
      EXPECT_EQ(FaultOpening(file, access), f.fault);
      EXPECT_EQ(FileBytes(file), before);
    }
  }
}

TEST(ArchiveOpening, ASecondWriterIsKeptAwayUntilTheFirstCloses) {
  const TemporaryProgramDir dir;
  const auto file = dir.File("archive.sqlite");
  MakeArchive(file, 3);
  {
    StationArchive first(file, Access::Write);
    const std::string before = FileBytes(file);
    EXPECT_EQ(FaultOpening(file, Access::Write), ArchiveFault::Locked);
    EXPECT_EQ(FileBytes(file), before);
  }
  StationArchive second(file, Access::Write);
  EXPECT_EQ(second.RecordCount(), 3);
}

// Root writes through chmod, so a read-only file needs a read-only mount: of its folder, or of
// the file alone bound onto itself.
TEST(ArchiveOpening, AFileOnReadOnlyMediaIsRefusedForWritingAndLeftAsItWas) {
  for (const bool wholeFolder : {true, false}) {
    SCOPED_TRACE(wholeFolder ? "read-only folder" : "read-only file");
    FillingDisk disk;
    if (!disk.Mounted()) GTEST_SKIP() << "this test may not mount file systems";
    const auto file = disk / "archive.sqlite";
    MakeArchive(file, 3);
    const std::string before = FileBytes(file);
    const auto target = wholeFolder ? file.parent_path() : file;
    if (!wholeFolder) {
      ASSERT_EQ(::mount(file.c_str(), file.c_str(), nullptr, MS_BIND, nullptr), 0);
    }
    ASSERT_EQ(::mount(nullptr, target.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr),
              0);
    EXPECT_EQ(FaultOpening(file, Access::Write), ArchiveFault::ReadOnly);
    // SQLite cannot read a WAL file in a folder where it may not make the -shm beside it.
    if (!wholeFolder) {
      StationArchive reader(file, Access::Read);
      EXPECT_EQ(reader.RecordCount(), 3);
    }
    EXPECT_EQ(FileBytes(file), before);
    if (!wholeFolder) ::umount2(file.c_str(), MNT_DETACH);
  }
}

TEST(ArchiveOpening, AReaderSeesCommittedRecordsWithoutHoldingUpTheWriter) {
  const HangWatchdog watchdog("reading while a report is written");
  const TemporaryProgramDir dir;
  const auto file = dir.File("archive.sqlite");
  StationArchive writer(file, Access::Write);
  const std::int32_t station = writer.Station("roof");
  for (int i = 0; i < 3; ++i) Append(writer, station, Record(kNoon + 5 * i, 0, 2.0, 3.0, 4));

  StationArchive reader(file, Access::Read);
  EXPECT_EQ(reader.StationNames(), std::vector<std::string>{"roof"});
  int seen = 0;
  std::chrono::steady_clock::duration writing{};
  reader.ForEachRecord(station, kAllFrom, kAllTo, [&](const StoredRecord&) {
    // The reader is in the middle of its read; the writer must not wait for it.
    if (seen++ > 0) return;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NO_THROW(Append(writer, station, Record(kNoon + 15, 0, 2.0, 3.0, 4)));
    writing = std::chrono::steady_clock::now() - start;
  });
  EXPECT_EQ(seen, 3) << "a read sees the records as they were when it began";
  EXPECT_LT(writing, std::chrono::seconds(3));
  EXPECT_EQ(reader.RecordCount(), 4);
  EXPECT_EQ(reader.Summaries(station, Resolution::Minute, kAllFrom, kAllTo),
            writer.Summaries(station, Resolution::Minute, kAllFrom, kAllTo));
  StoredRecord late = Record(kNoon + 20, 0, 2.0, 3.0, 4);
  EXPECT_THROW(reader.AppendReport(station, std::span(&late, 1)), ArchiveError);
}

// A sender reads forward from the last key its target took, in bounded batches, on a reader of
// its own; the mark is the writer's, per station and target.
TEST(ArchiveOpening, ASenderReadsOnFromItsMarkInArchiveOrder) {
  const TemporaryProgramDir dir;
  const auto file = dir.File("archive.sqlite");
  StationArchive writer(file, Access::Write);
  const std::int32_t roof = writer.Station("roof");
  const std::int32_t yard = writer.Station("yard");
  std::vector<StoredRecord> report{Record(kNoon, 0, 1.0, 2.0, 1), Record(kNoon, 0, 2.0, 3.0, 2),
                                   Record(kNoon + 10, 0, 3.0, 4.0, 3)};
  writer.AppendReport(roof, report);
  Append(writer, yard, Record(kNoon + 1, 0, 9.0, 9.0, 9));
  Append(writer, roof, Record(kNoon + 5, 0, 4.0, 5.0, 4));  // put in among the others
  writer.SetDelivered(roof, "influx a", RecordKey{kNoon, 0});

  StationArchive reader(file, Access::Read);
  // clang-format off
  const struct { RecordKey after; std::size_t limit; std::vector<double> speeds; } cases[] = {
      {RecordKey{},          10, {1.0, 2.0, 4.0, 3.0}},
      {RecordKey{},           2, {1.0, 2.0}},
      {RecordKey{kNoon, 0},  10, {2.0, 4.0, 3.0}},
      {RecordKey{kNoon, 1},   1, {4.0}},
      {RecordKey{kNoon + 10, 0}, 10, {}},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::vector<double> speeds;
    for (const StoredRecord& r : reader.RecordsAfter(roof, c.after, c.limit)) {
      speeds.push_back(FromMillionths(r.avgSpeed));
    }
    EXPECT_EQ(speeds, c.speeds) << c.after.time - kNoon << "/" << c.after.seq;
    EXPECT_EQ(reader.CountRecordsAfter(roof, c.after),
              static_cast<std::int64_t>(reader.RecordsAfter(roof, c.after, 100).size()));
  }
  EXPECT_EQ(reader.LastRecordKey(roof), (RecordKey{kNoon + 10, 0}));
  EXPECT_EQ(reader.Delivered(roof, "influx a"), (RecordKey{kNoon, 0}));
  EXPECT_EQ(reader.Delivered(roof, "influx b"), std::nullopt);
  EXPECT_EQ(reader.Delivered(yard, "influx a"), std::nullopt);
  writer.SetDelivered(roof, "influx a", RecordKey{kNoon + 5, 0});
  EXPECT_EQ(reader.Delivered(roof, "influx a"), (RecordKey{kNoon + 5, 0}));
  EXPECT_THROW(reader.SetDelivered(roof, "influx a", RecordKey{}), ArchiveError);
}

TEST(ArchiveWriting, AFullDiskFailsTheReportAndTheNextOneGoesInOnceThereIsRoom) {
  const HangWatchdog watchdog("writing onto a filling disk");
  for (const bool mayMount : {true, false}) {
    FillingDisk disk(mayMount);
    SCOPED_TRACE(disk.Mounted() ? "tmpfs" : "file size limit");
    StationArchive archive(disk / "archive.sqlite", Access::Write);
    const std::int32_t station = archive.Station("roof");
    std::int64_t time = kNoon;
    for (int i = 0; i < 5; ++i) Append(archive, station, Record(time += 5, 0, 2.0, 3.0, 4));
    disk.Fill();
    std::optional<ArchiveFault> fault;
    std::int64_t written = 5;
    for (int i = 0; i < 500 && !fault; ++i) {
      try {
        Append(archive, station, Record(time += 5, 0, 2.0 + i % 7, 3.0 + i % 5, i % 16));
        ++written;
      } catch (const ArchiveError& error) {
        fault = error.Fault();
      }
    }
    ASSERT_TRUE(fault.has_value());
    // SQLite reports a file at its size limit as an I/O error, not as a full disk.
    if (disk.Mounted()) {
      EXPECT_EQ(fault, ArchiveFault::DiskFull);
    }
    EXPECT_EQ(archive.RecordCount(), written);
    EXPECT_EQ(archive.Check(), std::vector<std::string>{});

    disk.Free();
    Append(archive, station, Record(time += 5, 0, 2.0, 3.0, 4));
    EXPECT_EQ(archive.RecordCount(), written + 1);
    EXPECT_EQ(archive.Check(), std::vector<std::string>{});
    EXPECT_EQ(SummariesAgainstRecords(archive, station), "");
  }
}

}  // namespace
