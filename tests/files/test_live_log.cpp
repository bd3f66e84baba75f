#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "core/measurement_core.h"
#include "core/record_consumer.h"
#include "files/csv_format.h"
#include "files/data_file_reader.h"
#include "files/file_messages.h"
#include "files/live_log.h"
#include "tests/files/files_test_helpers.h"
#include "tests/support/filling_disk.h"
#include "tests/support/full_disk.h"
#include "tests/support/hang_watchdog.h"

namespace {

// Capture as the program runs it: every produced row goes to the live log, and the text of a
// failure is kept as the message the user would see.
struct Capture : RecordConsumer {
  Capture() { core.AddConsumer(*this); }

  std::mutex dataLock;
  LiveLog log{dataLock};
  MeasurementCore core;
  std::vector<std::string> messages;
  float temperature = -3.7f;  // tells two captures' rows apart

  void TakeRecord(const MeasurementRecord& record, const RecordContext&) override {
    const FileOutcome outcome = log.WriteRow(record);
    if (outcome != FileOutcome::Ok) messages.push_back(OutcomeMessage(outcome, log.FileName()));
  }
  void Produce(int rows) {
    for (int i = 0; i < rows; ++i) {
      const auto n = static_cast<int>(core.Records().Size());
      core.ProcessSample(n % 16, {2009, 3, 0, 1, 9, 5, std::uint16_t(n % 60), 0}, 0.37f * float(n),
                         1.3f + float(n), temperature);
    }
  }
};

std::size_t LineCount(const std::filesystem::path& file) {
  const std::string bytes = ReadBytes(file);
  return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
}

TEST(LiveLog, EveryRowIsOnDiskAsSoonAsItIsProducedAndReadsBackAsStored) {
  TempDir dir;
  Capture capture;
  capture.Produce(2);  // not logged: the log is off
  ASSERT_EQ(capture.log.Open(dir / "live.csv", "live.csv"), FileOutcome::Ok);
  EXPECT_EQ(ReadBytes(dir / "live.csv"), CsvHeaderLine());
  for (std::size_t rows = 1; rows <= 3; ++rows) {
    capture.Produce(1);
    EXPECT_EQ(LineCount(dir / "live.csv"), rows + 1);
  }
  capture.log.Close();
  capture.Produce(1);  // not logged: switched off again
  EXPECT_FALSE(capture.log.IsOn());

  std::vector<std::string> loaded;
  ASSERT_EQ(ReadDataFile(dir / "live.csv",
                         [&](const MeasurementRecord& r) { loaded.push_back(CsvRowLine(r)); }),
            ReadOutcome::Ok);
  std::vector<std::string> stored;
  for (std::size_t i = 2; i < 5; ++i) stored.push_back(CsvRowLine(capture.core.Records()[i]));
  EXPECT_EQ(loaded, stored);
}

TEST(LiveLog, AppendKeepsEarlierRowsAndWritesTheHeaderOnlyIntoANewOrEmptyFile) {
  TempDir dir;
  Capture capture;
  WriteBytes(dir / "empty.csv", "");
  for (const char* name : {"new.csv", "empty.csv"}) {
    ASSERT_EQ(capture.log.Append(dir / name, name), FileOutcome::Ok) << name;
    capture.Produce(1);
    ASSERT_EQ(capture.log.Append(dir / name, name), FileOutcome::Ok) << name;  // a second run
    capture.Produce(1);
    const auto& records = capture.core.Records();
    EXPECT_EQ(ReadBytes(dir / name), CsvHeaderLine() + CsvRowLine(records[records.Size() - 2]) +
                                         CsvRowLine(records.Newest()))
        << name;
  }
  EXPECT_EQ(capture.log.Append(kUnwritableDir / "live.csv", "x"), FileOutcome::CannotOpen);
  EXPECT_EQ(capture.log.Append("/dev/null", "x"), FileOutcome::CannotWrite) << "not a file";
  EXPECT_FALSE(capture.log.IsOn());
}

TEST(LiveLog, AFullDiskDuringCaptureReportsOnceAndSwitchesTheLogOff) {
  TempDir dir;
  Capture capture;
  ASSERT_EQ(capture.log.Open(dir / "live.csv", "chosen name.csv"), FileOutcome::Ok);
  capture.Produce(3);
  FillDiskUnder(dir / "live.csv");
  capture.Produce(5);
  EXPECT_EQ(capture.messages, std::vector<std::string>{"Cannot write file: chosen name.csv"});
  EXPECT_FALSE(capture.log.IsOn());
  EXPECT_EQ(capture.core.Records().Size(), 8u);  // capture goes on, nothing lost from the store
  EXPECT_EQ(LineCount(dir / "live.csv"), 4u);
  capture.log.Close();  // unticking afterwards finds no stream
  EXPECT_TRUE(capture.dataLock.try_lock());
  capture.dataLock.unlock();
}

// Every row that reads back from the file, as its CSV line.
std::vector<std::string> RowsReadBack(const std::filesystem::path& file) {
  std::vector<std::string> rows;
  EXPECT_EQ(ReadDataFile(file, [&](const MeasurementRecord& r) { rows.push_back(CsvRowLine(r)); }),
            ReadOutcome::Ok);
  return rows;
}

TEST(LiveLog, ADiskThatFillsAndFreesLeavesOnlyWholeRowsThatAllReadBack) {
  const HangWatchdog watchdog("logging onto a filling disk");
  for (const bool mayMount : {true, false}) {
    FillingDisk disk(mayMount);
    SCOPED_TRACE(disk.Mounted() ? "tmpfs" : "file size limit");
    Capture capture;
    ASSERT_EQ(capture.log.Open(disk / "live.csv", "live.csv"), FileOutcome::Ok);
    capture.Produce(5);
    disk.Fill();
    // Rows go on until one falls short at the end of the room left; it is cut off again.
    for (int i = 0; i < 200 && capture.log.IsOn(); ++i) capture.Produce(1);
    EXPECT_EQ(capture.messages, std::vector<std::string>{"Cannot write file: live.csv"});
    const std::string cut = ReadBytes(disk / "live.csv");
    EXPECT_EQ(cut.substr(cut.size() - 2), "\r\n") << "ends in the middle of a row";
    const std::size_t written = LineCount(disk / "live.csv") - 1;
    EXPECT_GE(written, 5u);
    EXPECT_LT(written, capture.core.Records().Size());

    disk.Free();
    ASSERT_EQ(capture.log.Append(disk / "live.csv", "live.csv"), FileOutcome::Ok);
    capture.Produce(3);
    std::vector<std::string> expected;
    const auto& records = capture.core.Records();
    for (std::size_t i = 0; i < written; ++i) expected.push_back(CsvRowLine(records[i]));
    for (std::size_t i = records.Size() - 3; i < records.Size(); ++i) {
      expected.push_back(CsvRowLine(records[i]));
    }
    EXPECT_EQ(RowsReadBack(disk / "live.csv"), expected);
  }
}

TEST(LiveLog, TwoWritersOnOneFileKeepEachOthersRows) {
  TempDir dir;
  Capture window;
  Capture logger;
  logger.temperature = 12.5f;
  // The window empties the file when it switches its log on; the logger appends after that.
  ASSERT_EQ(logger.log.Append(dir / "shared.csv", "shared.csv"), FileOutcome::Ok);
  logger.Produce(2);
  ASSERT_EQ(window.log.Open(dir / "shared.csv", "shared.csv"), FileOutcome::Ok);
  for (int i = 0; i < 20; ++i) {
    window.Produce(1);
    logger.Produce(2);
  }
  const std::vector<std::string> rows = RowsReadBack(dir / "shared.csv");
  EXPECT_EQ(rows.size(), 60u);
  for (const Capture* capture : {&window, &logger}) {
    const auto& records = capture->core.Records();
    const std::size_t first = capture == &window ? 0 : 2;  // the logger's first two were emptied
    for (std::size_t i = first; i < records.Size(); ++i) {
      EXPECT_EQ(std::count(rows.begin(), rows.end(), CsvRowLine(records[i])), 1) << i;
    }
  }
}

TEST(LiveLog, AppendingEndsALineThatAnOlderFaultCutShort) {
  TempDir dir;
  Capture capture;
  capture.Produce(2);
  const std::string whole = CsvHeaderLine() + CsvRowLine(capture.core.Records()[0]);
  const std::string half = CsvRowLine(capture.core.Records()[1]).substr(0, 40);
  WriteBytes(dir / "cut.csv", whole + half);
  WriteBytes(dir / "whole.csv", whole);
  for (const char* name : {"cut.csv", "whole.csv"}) {
    ASSERT_EQ(capture.log.Append(dir / name, name), FileOutcome::Ok);
    capture.Produce(1);
  }
  const auto& records = capture.core.Records();
  EXPECT_EQ(ReadBytes(dir / "cut.csv"), whole + half + "\r\n" + CsvRowLine(records[2]));
  EXPECT_EQ(ReadBytes(dir / "whole.csv"), whole + CsvRowLine(records[3]));
}

TEST(LiveLog, StaysOffWhenTheFileCannotBeOpenedOrIsNotARegularFile) {
  const HangWatchdog watchdog("opening odd logs");
  TempDir dir;
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  std::mutex dataLock;
  LiveLog log(dataLock);
  EXPECT_EQ(log.Open(kUnwritableDir / "live.csv", "x"), FileOutcome::CannotOpen);
  EXPECT_FALSE(log.IsOn());
  EXPECT_EQ(log.Open(dir / "fifo", "x"), FileOutcome::CannotOpen) << "a pipe without a reader";
  EXPECT_EQ(log.Open("/dev/full", "x"), FileOutcome::CannotWrite);
  EXPECT_FALSE(log.IsOn());
  EXPECT_TRUE(std::filesystem::is_fifo(dir / "fifo"));
}

}  // namespace
