#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "files/csv_format.h"
#include "files/data_file_reader.h"
#include "files/file_messages.h"
#include "tests/files/files_test_helpers.h"
#include "tests/support/full_disk.h"
#include "tests/support/hang_watchdog.h"
#include "files/live_log.h"
#include "core/measurement_core.h"
#include "core/record_consumer.h"

namespace {

// Capture as the program runs it: every produced row goes to the live log, and the text of a
// failure is kept as the message the user would see.
struct Capture : RecordConsumer {
  Capture() { core.AddConsumer(*this); }

  std::mutex dataLock;
  LiveLog log{dataLock};
  MeasurementCore core;
  std::vector<std::string> messages;

  void TakeRecord(const MeasurementRecord& record, const RecordContext&) override {
    const FileOutcome outcome = log.WriteRow(record);
    if (outcome != FileOutcome::Ok) messages.push_back(OutcomeMessage(outcome, log.FileName()));
  }
  void Produce(int rows) {
    for (int i = 0; i < rows; ++i) {
      const auto n = static_cast<int>(core.Records().Size());
      core.ProcessSample(n % 16, {2009, 3, 0, 1, 9, 5, std::uint16_t(n % 60), 0}, 0.37f * float(n),
                         1.3f + float(n), -3.7f);
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
