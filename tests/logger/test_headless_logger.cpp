// The logger's capture on the scripted anemometer: unplugging, plugging back, a node it may not
// open, a log that cannot be written.
#include <gtest/gtest.h>
#include <stdio.h>

#include <QTemporaryDir>
#include <cstdio>

#include "archive/station_archive.h"
#include "files/data_file_reader.h"
#include "logger/headless_logger.h"
#include "logger/iso_log_format.h"
#include "logger/mqtt_publisher.h"
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
  void Start(const QString& logPattern, MqttPublisher* publisher = nullptr) {
    options.logPattern = logPattern;
    if (options.archive.file.isEmpty())
      options.archive.file = dir.filePath(QStringLiteral("archive.sqlite"));
    logger = std::make_unique<HeadlessLogger>(options, ProgramFiles(dir.path().toStdString()), hid,
                                              clock, status.lines, publisher,
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
  LoggerOptions options;
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
  EXPECT_EQ(StationArchive(options.archive.file.toStdString(), StationArchive::Access::Read)
                .RecordCount(),
            4);
  EXPECT_EQ(status.Count("waiting for the anemometer to be plugged in"), 1) << status.Text();
  EXPECT_EQ(status.Count("the anemometer was unplugged"), 1);
  EXPECT_EQ(status.Count("reading the anemometer"), 2);
  EXPECT_EQ(status.Count("logging to"), 1) << "one file, opened once";
}

TEST_F(LoggerOnFake, ANodeItMayNotOpenAndAnUnwritableLogAreReportedOnceAndCaptureGoesOn) {
  hid.SetIdentifyOutcome(anemometer, HidOpenOutcome::AccessDenied);
  options.archive.file = dir.filePath(QStringLiteral("notes.txt"));
  QFile notes(options.archive.file);
  ASSERT_TRUE(notes.open(QIODevice::WriteOnly) && notes.write(QByteArray(600, 'x')) == 600);
  notes.close();
  Start(QStringLiteral("/sys/no-such-folder/wind-%Y.csv"));
  EXPECT_EQ(status.Count("plugged in but may not be opened"), 1) << status.Text();
  hid.SetIdentifyOutcome(anemometer, HidOpenOutcome::Opened);  // the user joined the group
  ASSERT_TRUE(WaitUntil([&] { return logger->Reading(); }));
  for (std::uint32_t counter = 1; counter <= 5; ++counter) Deliver(counter);
  EXPECT_EQ(logger->Records(), 4u);
  EXPECT_EQ(status.Count("cannot open the log file /sys/no-such-folder/wind-2026.csv"), 1)
      << status.Text();
  EXPECT_EQ(status.Count("cannot use the archive"), 1) << status.Text();
  ASSERT_TRUE(notes.open(QIODevice::ReadOnly));
  EXPECT_EQ(notes.readAll(), QByteArray(600, 'x')) << "a file not ours is left as it was";
}

TEST_F(LoggerOnFake, ArchivingOntoAFullDiskCatchesUpFromMemoryOnceSpaceIsBack) {
  const HangWatchdog watchdog("archiving onto a filling disk");
  FillingDisk disk;
  options.archive.file = QString::fromStdString((disk / "archive.sqlite").string());
  Start(dir.filePath(QStringLiteral("wind.csv")));
  ASSERT_TRUE(WaitUntil([&] { return logger->Reading(); })) << status.Text();
  for (std::uint32_t counter = 1; counter <= 3; ++counter) Deliver(counter);  // the first primes
  disk.Fill();
  for (std::uint32_t counter = 4; counter <= 13; ++counter) Deliver(counter);
  disk.Free();
  Deliver(14);
  logger->Stop();

  EXPECT_EQ(CsvDataRows(dir.filePath(QStringLiteral("wind.csv"))), 13) << "the log went on";
  EXPECT_EQ(status.Count("cannot write the archive"), 1) << status.Text();
  EXPECT_EQ(status.Count("writing the archive again; 10 waiting records caught up\n"), 1)
      << status.Text();
  StationArchive archive(options.archive.file.toStdString(), StationArchive::Access::Read);
  EXPECT_EQ(archive.RecordCount(), 13);
  EXPECT_EQ(archive.Check(), std::vector<std::string>{});
}

TEST_F(LoggerOnFake, WritesTheIsoLogWhenAskedTo) {
  options.logFormat = LogFormat::Iso;
  Start(dir.filePath(QStringLiteral("wind.csv")));
  for (std::uint32_t counter = 1; counter <= 3; ++counter) Deliver(counter);
  logger->Stop();
  QFile file(dir.filePath(QStringLiteral("wind.csv")));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray text = file.readAll();
  EXPECT_TRUE(text.startsWith(QByteArray::fromStdString(IsoLogHeaderLine())));
  EXPECT_EQ(text.count("\n2026-12-07T11:45:03"), 2) << text.data();
}

TEST_F(LoggerOnFake, OfflineAfterASilenceAndWhileUnpluggedOnlineWithTheNextRecord) {
  TestBroker broker;
  ASSERT_TRUE(broker.Start());
  Subscriber subscriber(broker.Port(), QStringLiteral("kelvra/fake/availability"));
  const auto last = [&] {
    const auto messages = subscriber.Messages();
    return messages.empty() ? std::string() : messages.back().payload;
  };
  const auto becomes = [&](const char* payload) {
    return WaitUntil([&] { return last() == payload; });
  };
  for (const bool silence : {true, false}) {
    SCOPED_TRACE(silence ? "reports stop" : "unplugged");
    MqttSettings& mqtt = options.mqtt.emplace();
    mqtt.host = "127.0.0.1";
    mqtt.port = broker.Port();
    mqtt.topicPrefix = "kelvra/fake";
    // Unplugging must say offline by itself, long before a silence would.
    mqtt.silence = silence ? std::chrono::milliseconds(200) : std::chrono::hours(1);
    MqttPublisher publisher(mqtt, status.lines);
    std::string error;
    ASSERT_TRUE(publisher.Start(error)) << error;
    Start(QString(), &publisher);
    ASSERT_TRUE(becomes("offline")) << "connected, no record yet: " << status.Text();
    const std::uint32_t counter = silence ? 1 : 20;
    Deliver(counter);  // primes
    Deliver(counter + 1);
    ASSERT_TRUE(becomes("online"));
    if (silence) {
      ASSERT_TRUE(becomes("offline")) << "the report stream paused";
      EXPECT_TRUE(logger->Reading());
      Deliver(counter + 2);
    } else {
      hid.Unplug(anemometer);
      ASSERT_TRUE(becomes("offline"));
      hid.Replug(anemometer);
      ASSERT_TRUE(WaitUntil([&] { return logger->Reading(); })) << status.Text();
      Deliver(counter + 10);  // primes
      Deliver(counter + 11);
    }
    ASSERT_TRUE(becomes("online"));
    logger.reset();
    publisher.Stop();
    ASSERT_TRUE(becomes("offline")) << "stopped";
  }
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
