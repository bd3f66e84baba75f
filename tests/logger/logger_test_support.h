#pragma once

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

#include "tests/support/test_program.h"

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
