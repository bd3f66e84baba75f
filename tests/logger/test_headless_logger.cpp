// The logger's capture on the scripted anemometer: unplugging, plugging back, a node it may not
// open, a log that cannot be written.
#include <gtest/gtest.h>
#include <stdio.h>

#include <QTemporaryDir>
#include <cstdio>

#include "files/data_file_reader.h"
#include "logger/headless_logger.h"
#include "logger/status_lines.h"
#include "tests/logger/logger_test_support.h"
#include "tests/support/fake_hid_transport.h"
#include "tests/support/filling_disk.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/hang_watchdog.h"

namespace {

// The status lines as written, in a memory stream.
struct CapturedStatus {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* stream = open_memstream(&text, &size);
  StatusLines lines{stream};
  ~CapturedStatus() {
    std::fclose(stream);
    std::free(text);
  }
  std::string Text() {
    std::fflush(stream);
    return std::string(text, size);
  }
  qsizetype Count(const std::string& part) {
    return QString::fromStdString(Text()).count(QString::fromStdString(part));
  }
};

struct LoggerOnFake : ::testing::Test {
  void Start(const QString& logPattern) {
    LoggerOptions options;
    options.logPattern = logPattern;
    logger = std::make_unique<HeadlessLogger>(options, ProgramFiles(dir.path().toStdString()), hid,
                                              clock, status.lines, nullptr,
                                              std::chrono::milliseconds(10));
    logger->Start();
  }
  void Deliver(std::uint32_t counter) {
    hid.QueueReport(anemometer, FakeHidTransport::MakeReport(counter));
    ASSERT_TRUE(hid.WaitUntilIdle(anemometer));
    QCoreApplication::sendPostedEvents(logger.get());
  }

  QTemporaryDir dir;
  FakeHidTransport hid;
  const std::size_t anemometer = hid.AddAnemometer();
  FixedClock clock{{2026, 12, 1, 7, 11, 45, 3, 0}};
  CapturedStatus status;
  std::unique_ptr<HeadlessLogger> logger;
};

TEST_F(LoggerOnFake, PicksTheAnemometerUpWhenPluggedInAndAgainAfterUnplugging) {
  hid.Unplug(anemometer);
  Start(dir.filePath(QStringLiteral("%Y/wind-%m-%d.csv")));  // the folder is made
  EXPECT_FALSE(logger->Reading());
  hid.Replug(anemometer);
  ASSERT_TRUE(WaitUntil([&] { return logger->Reading(); })) << status.Text();
  for (std::uint32_t counter = 1; counter <= 3; ++counter) Deliver(counter);  // the first primes
  EXPECT_EQ(logger->Records(), 2u);

  hid.Unplug(anemometer);
  ASSERT_TRUE(WaitUntil([&] { return !logger->Reading(); }));
  hid.Replug(anemometer);
  ASSERT_TRUE(WaitUntil([&] { return logger->Reading(); })) << status.Text();
  for (std::uint32_t counter = 10; counter <= 12; ++counter) Deliver(counter);
  EXPECT_EQ(logger->Records(), 4u);
  logger->Stop();

  EXPECT_EQ(CsvDataRows(dir.filePath(QStringLiteral("2026/wind-12-07.csv"))), 4);
  EXPECT_EQ(status.Count("waiting for the anemometer to be plugged in"), 1) << status.Text();
  EXPECT_EQ(status.Count("the anemometer was unplugged"), 1);
  EXPECT_EQ(status.Count("reading the anemometer"), 2);
  EXPECT_EQ(status.Count("logging to"), 1) << "one file, opened once";
}

TEST_F(LoggerOnFake, ANodeItMayNotOpenAndAnUnwritableLogAreReportedOnceAndCaptureGoesOn) {
  hid.SetIdentifyOutcome(anemometer, HidOpenOutcome::AccessDenied);
  Start(QStringLiteral("/sys/no-such-folder/wind-%Y.csv"));
  EXPECT_EQ(status.Count("plugged in but may not be opened"), 1) << status.Text();
  hid.SetIdentifyOutcome(anemometer, HidOpenOutcome::Opened);  // the user joined the group
  ASSERT_TRUE(WaitUntil([&] { return logger->Reading(); }));
  for (std::uint32_t counter = 1; counter <= 5; ++counter) Deliver(counter);
  EXPECT_EQ(logger->Records(), 4u);
  EXPECT_EQ(status.Count("cannot open the log file /sys/no-such-folder/wind-2026.csv"), 1)
      << status.Text();
}

TEST(DatedLogOnAFillingDisk, OneLineForTheFaultOneWhenItClearsAndEveryWholeRowReadsBack) {
  const HangWatchdog watchdog("logging onto a filling disk");
  for (const bool mayMount : {true, false}) {
    FillingDisk disk(mayMount);
    SCOPED_TRACE(disk.Mounted() ? "tmpfs" : "file size limit");
    CapturedStatus status;
    std::mutex dataLock;
    LiveLog file(dataLock);
    const std::string name = (disk / "wind.csv").string();
    DatedLog log(QString::fromStdString(name), file, status.lines);
    std::uint16_t second = 0;
    const auto produce = [&](int rows) {
      for (int i = 0; i < rows; ++i, ++second) {
        MeasurementRecord record;
        const auto u16 = [](int value) { return static_cast<std::uint16_t>(value); };
        record.Time = {2026, 12, 0, 7, 8, u16(second / 60), u16(second % 60), 0};
        record.Sector = second % 16;
        log.Write(record);
      }
    };
    produce(5);
    disk.Fill();
    produce(60);
    disk.Free();
    produce(5);

    int read = 0;
    ASSERT_EQ(ReadDataFile(name, [&](const MeasurementRecord&) { ++read; }), ReadOutcome::Ok);
    const int lost = 70 - read;
    ASSERT_GT(lost, 0);
    EXPECT_EQ(status.Count("\n"), 3) << "never one line per record:\n" << status.Text();
    EXPECT_EQ(status.Count(": logging to " + name), 1) << status.Text();
    EXPECT_EQ(status.Count("cannot write the log file " + name), 1) << status.Text();
    // The last lost row is the last one produced while the disk was full.
    EXPECT_EQ(status.Count(std::to_string(lost) + " rows could not be written between "), 1)
        << status.Text();
    EXPECT_EQ(status.Count(" and 7.12 2026 08:01:04; logging to " + name), 1) << status.Text();
  }
}

}  // namespace
