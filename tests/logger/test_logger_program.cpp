// The logger program on the simulated anemometer: how it answers signals (a kill -9 included) and
// keeps its secrets.
#include <gtest/gtest.h>
#include <pthread.h>

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <csignal>
#include <map>
#include <random>
#include <tuple>
#include <vector>

#include "archive/station_archive.h"
#include "files/data_file_reader.h"
#include "tests/logger/logger_test_support.h"

namespace {

QStringList SimulatedLogger(const QTemporaryDir& dir) {
  return {QStringLiteral("--simulate"),   QStringLiteral("--interval=0.05"),
          QStringLiteral("--config-dir"), dir.path(),
          QStringLiteral("--log"),        dir.filePath(QStringLiteral("wind.csv"))};
}

// Whole rows only: every line ends in CR LF and has the row's nine fields.
bool WholeRows(const QString& name) {
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.readAll();
  if (!bytes.endsWith("\r\n")) return false;
  for (const QByteArray& line : bytes.split('\n')) {
    if (!line.isEmpty() && line[0] != '"' && (line.count(',') != 8 || !line.endsWith('\r'))) {
      return false;
    }
  }
  return true;
}

TEST(LoggerSignals, SighupOpensTheLogAgainSoThatAMovedFileIsFollowedByANewOne) {
  QTemporaryDir dir;
  const QString log = dir.filePath(QStringLiteral("wind.csv"));
  const QString rotated = dir.filePath(QStringLiteral("wind.csv.1"));
  Program logger(LOGGER_PROGRAM, SimulatedLogger(dir));
  ASSERT_TRUE(WaitUntil([&] { return QFile::exists(log) && CsvDataRows(log) >= 3; }))
      << logger.Errors().toStdString();
  ASSERT_TRUE(QFile::rename(log, rotated));  // what logrotate does before it sends SIGHUP
  const qsizetype movedRows = CsvDataRows(rotated);
  logger.Signal(SIGHUP);
  ASSERT_TRUE(WaitUntil([&] { return QFile::exists(log) && CsvDataRows(log) >= 3; }))
      << logger.Errors().toStdString();
  EXPECT_EQ(logger.Terminate(), 0) << logger.Errors().toStdString();
  EXPECT_TRUE(logger.Errors().contains(QStringLiteral("opening the log file again")));
  EXPECT_TRUE(WholeRows(log));
  EXPECT_TRUE(WholeRows(rotated));
  // The rows written between the move and the signal went on into the moved file.
  EXPECT_GE(CsvDataRows(rotated), movedRows);
  EXPECT_TRUE(logger.Errors().contains(QStringLiteral("stopped after")));
}

TEST(LoggerSignals, AStopThatComesBeforeTheLoggerCouldActEndsTheRunCleanly) {
  QTemporaryDir dir;
  // Blocked when the logger starts, as a parent may hand down its mask: the SIGTERM sent at once
  // waits until the logger's handler is in place, and must then end the run, not be lost.
  sigset_t terminate;
  sigset_t previous;
  sigemptyset(&terminate);
  sigaddset(&terminate, SIGTERM);
  ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &terminate, &previous), 0);
  Program logger(LOGGER_PROGRAM, SimulatedLogger(dir));
  const qint64 pid = logger.Pid();
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  ASSERT_GT(pid, 0);
  logger.Signal(SIGTERM);
  EXPECT_EQ(logger.Finish(), 0) << logger.Errors().toStdString();
  EXPECT_TRUE(logger.Errors().contains(QStringLiteral("stopped after")));
}

// What /proc shows of a running process: its environment and its command line.
QByteArray ProcFile(qint64 pid, const char* name) {
  QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QString::fromLatin1(name)));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A record's time and values, as the archive keeps them.
auto Values(const StoredRecord& r) {
  return std::tuple(r.time, r.avgSpeed, r.gustSpeed, r.sector, r.temperature, r.windChillAvg,
                    r.windChillGust, r.beaufortAvg, r.beaufortGust);
}

// Power cuts: killed at random moments, the logger has kept in its archive every record of its CSV
// log but at most the one report in flight when it died, and the archive is whole. 200 kills in
// two halves of their own, each well inside a test's time limit under the sanitizers too.
class KilledLogger : public ::testing::TestWithParam<unsigned> {};
INSTANTIATE_TEST_SUITE_P(TwoHalves, KilledLogger, ::testing::Values(20261207u, 7122026u));

TEST_P(KilledLogger, AtRandomMomentsItsArchiveHoldsWhatItLoggedButTheReportInFlight) {
  QTemporaryDir dir;
  const QString archive = dir.filePath(QStringLiteral("archive.sqlite"));
  std::mt19937 random(GetParam());
  std::uniform_int_distribution<int> lifetime(20, 250);  // ms: at start-up, opening, writing
  constexpr int kRuns = 100;
  const QString log = dir.filePath(QStringLiteral("wind.csv"));
  for (int run = 0; run < kRuns; ++run) {
    const qsizetype rowsBefore = QFile::exists(log) ? CsvDataRows(log) : 0;
    Program logger(LOGGER_PROGRAM, SimulatedLogger(dir) << QStringLiteral("--archive") << archive);
    ASSERT_GT(logger.Pid(), 0);
    // Every other run dies while it writes, however slowly the machine starts it.
    if (run % 2 == 0) {
      ASSERT_TRUE(WaitUntil([&] { return QFile::exists(log) && CsvDataRows(log) > rowsBefore; }))
          << logger.Errors().toStdString();
    }
    QThread::msleep(static_cast<unsigned long>(lifetime(random)));
    logger.Signal(SIGKILL);
    ASSERT_EQ(logger.Finish(), -1) << "run " << run << logger.Errors().toStdString();
  }

  std::multimap<std::int64_t, StoredRecord> logged;
  ASSERT_EQ(ReadDataFile(log.toStdString(),
                         [&](const MeasurementRecord& r) {
                           const StoredRecord stored = ToStoredRecord(r, false);
                           logged.emplace(stored.time, stored);
                         }),
            ReadOutcome::Ok);
  StationArchive kept(archive.toStdString(), StationArchive::Access::Read);
  std::int64_t archived = 0;
  kept.ForEachRecord(
      *kept.FindStation("default"), INT64_MIN / 2, INT64_MAX / 2, [&](const StoredRecord& r) {
        ++archived;
        auto [first, last] = logged.equal_range(r.time);
        auto match = std::find_if(
            first, last, [&](const auto& entry) { return Values(entry.second) == Values(r); });
        if (match == last) {
          ADD_FAILURE() << "archived but not logged at " << r.time;
        } else {
          logged.erase(match);
        }
      });
  EXPECT_GE(archived, kRuns / 2) << "half the runs logged before they died";
  EXPECT_LE(logged.size(), static_cast<std::size_t>(kRuns)) << "logged but not archived";
  EXPECT_EQ(kept.Check(), std::vector<std::string>{});
}

TEST(LoggerSecrets, ThePasswordIsNotInTheEnvironmentOfTheRunningLogger) {
  QTemporaryDir dir;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("KELVRA_MQTT_PASSWORD"), QStringLiteral("pa55-w0rd-26"));
  environment.insert(QStringLiteral("KELVRA_HTTP_PASSWORD"), QStringLiteral("web-pa55-26"));
  environment.insert(QStringLiteral("KELVRA_TEST_MARK"), QStringLiteral("still-here"));
  // A broker nobody listens on: the logger keeps trying, and runs.
  Program logger(LOGGER_PROGRAM,
                 SimulatedLogger(dir) << QStringLiteral("--mqtt=127.0.0.1:%1").arg(FreePort())
                                      << QStringLiteral("--mqtt-user=station")
                                      << QStringLiteral("--http=%1").arg(FreePort())
                                      << QStringLiteral("--http-user=station"),
                 environment);
  const QString log = dir.filePath(QStringLiteral("wind.csv"));
  ASSERT_TRUE(WaitUntil([&] { return QFile::exists(log) && CsvDataRows(log) >= 2; }))
      << logger.Errors().toStdString();
  const QByteArray environ = ProcFile(logger.Pid(), "environ");
  ASSERT_TRUE(environ.contains("KELVRA_TEST_MARK=still-here")) << "environ was read";
  EXPECT_FALSE(environ.contains("pa55-w0rd-26"));
  EXPECT_FALSE(environ.contains("KELVRA_MQTT_PASSWORD"));
  EXPECT_FALSE(environ.contains("web-pa55-26"));
  EXPECT_FALSE(environ.contains("KELVRA_HTTP_PASSWORD"));
  EXPECT_FALSE(ProcFile(logger.Pid(), "cmdline").contains("pa55-w0rd-26"));
  EXPECT_EQ(logger.Terminate(), 0) << logger.Errors().toStdString();
}

}  // namespace
