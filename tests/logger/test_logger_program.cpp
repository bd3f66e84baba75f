// The logger program on the simulated anemometer: how it answers signals and keeps its secrets.
#include <gtest/gtest.h>
#include <pthread.h>

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <csignal>

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

TEST(LoggerSecrets, ThePasswordIsNotInTheEnvironmentOfTheRunningLogger) {
  QTemporaryDir dir;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("KELVRA_MQTT_PASSWORD"), QStringLiteral("pa55-w0rd-26"));
  environment.insert(QStringLiteral("KELVRA_TEST_MARK"), QStringLiteral("still-here"));
  // A broker nobody listens on: the logger keeps trying, and runs.
  Program logger(LOGGER_PROGRAM,
                 SimulatedLogger(dir) << QStringLiteral("--mqtt=127.0.0.1:%1").arg(FreePort())
                                      << QStringLiteral("--mqtt-user=station"),
                 environment);
  const QString log = dir.filePath(QStringLiteral("wind.csv"));
  ASSERT_TRUE(WaitUntil([&] { return QFile::exists(log) && CsvDataRows(log) >= 2; }))
      << logger.Errors().toStdString();
  const QByteArray environ = ProcFile(logger.Pid(), "environ");
  ASSERT_TRUE(environ.contains("KELVRA_TEST_MARK=still-here")) << "environ was read";
  EXPECT_FALSE(environ.contains("pa55-w0rd-26"));
  EXPECT_FALSE(environ.contains("KELVRA_MQTT_PASSWORD"));
  EXPECT_FALSE(ProcFile(logger.Pid(), "cmdline").contains("pa55-w0rd-26"));
  EXPECT_EQ(logger.Terminate(), 0) << logger.Errors().toStdString();
}

}  // namespace
