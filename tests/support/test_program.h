#pragma once

// A program a test runs (a logger, a server, a command-line tool), and waiting for what it does.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <csignal>
#include <functional>
#include <string>

// Waits until condition holds, handling Qt events meanwhile; false when limit passes first.
inline bool WaitUntil(const std::function<bool()>& condition, int seconds = 30) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QCoreApplication::processEvents();
    QThread::msleep(10);
  }
  return true;
}

// The lines of a CSV log that are not its header.
inline qsizetype CsvDataRows(const QString& name) {
  QFile file(name);
  file.open(QIODevice::ReadOnly);
  qsizetype rows = 0;
  for (const QByteArray& line : file.readAll().split('\n'))
    rows += !line.isEmpty() && line[0] != '"';
  return rows;
}

// A program run by a test, its output kept; killed when the test ends. A logger keeps its
// archive in a folder of its own unless the test says where.
class Program {
 public:
  Program(const char* program, QStringList arguments,
          const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    const bool logger = QString::fromUtf8(program).endsWith(QStringLiteral("-logger"));
    if (logger && !arguments.join(u' ').contains(QStringLiteral("archive"))) {
      arguments << QStringLiteral("--archive")
                << archiveDir_.filePath(QStringLiteral("archive.sqlite"));
    }
    process_.setProcessEnvironment(environment);
    process_.start(QString::fromUtf8(program), arguments);
  }
  ~Program() {
    process_.kill();
    process_.waitForFinished();
  }
  QString Output() { return output_ += QString::fromUtf8(process_.readAllStandardOutput()); }
  QString Errors() { return errors_ += QString::fromUtf8(process_.readAllStandardError()); }
  // SIGTERM, then the exit status; -1 when it did not end normally within the limit.
  int Terminate() {
    process_.terminate();
    return Finish();
  }
  qint64 Pid() { return process_.waitForStarted(30000) ? process_.processId() : 0; }
  void Signal(int signal) { ::kill(static_cast<pid_t>(Pid()), signal); }
  int Finish() {
    const bool ended = process_.waitForFinished(30000);
    return ended && process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
  }

 private:
  QTemporaryDir archiveDir_;
  QProcess process_;
  QString output_, errors_;
};

// A port on 127.0.0.1 that nobody listens on right now.
inline int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), length);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}
