#pragma once

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
#include <vector>

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

// A mosquitto broker of the test's own on 127.0.0.1, without persistence.
class TestBroker {
 public:
  TestBroker() : port_(FreePort()), config_(dir_.filePath(QStringLiteral("mosquitto.conf"))) {
    QFile file(config_);
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray("listener ") + QByteArray::number(port_) +
               " 127.0.0.1\nallow_anonymous true\npersistence false\n");
  }
  int Port() const { return port_; }
  // Returns once it listens.
  bool Start() {
    broker_ =
        std::make_unique<Program>(MOSQUITTO_BROKER, QStringList{QStringLiteral("-c"), config_});
    return WaitUntil([this] { return broker_->Errors().contains(QStringLiteral(" running")); });
  }
  void Stop() {
    if (broker_) broker_->Terminate();
    broker_.reset();
  }

 private:
  QTemporaryDir dir_;
  int port_;
  QString config_;
  std::unique_ptr<Program> broker_;
};

struct ReceivedMessage {
  std::string topic, payload;
  bool retained = false;
};

// mosquitto_sub on the test broker, one line per message: retained flag, topic, payload.
class Subscriber : public Program {
 public:
  Subscriber(int port, const QString& topic)
      : Program(MOSQUITTO_SUB, {QStringLiteral("-p"), QString::number(port), QStringLiteral("-t"),
                                topic, QStringLiteral("-F"), QStringLiteral("%r %t %p")}) {}
  std::vector<ReceivedMessage> Messages(const std::string& topic = "") {
    std::vector<ReceivedMessage> found;
    for (const QString& line : Output().split(u'\n', Qt::SkipEmptyParts)) {
      const ReceivedMessage m{line.section(u' ', 1, 1).toStdString(),
                              line.section(u' ', 2).toStdString(), line.startsWith(u'1')};
      if (topic.empty() || m.topic == topic) found.push_back(m);
    }
    return found;
  }
};
