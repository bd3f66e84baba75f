#pragma once

#include <arpa/inet.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Waits until condition holds, handling Qt events meanwhile; false when limit passes first.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::seconds limit = std::chrono::seconds(30)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
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
  if (!file.open(QIODevice::ReadOnly)) return -1;
  qsizetype rows = 0;
  for (const QByteArray& line : file.readAll().split('\n')) rows += !line.isEmpty() && !line.startsWith('"');
  return rows;
}

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

inline bool Accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return connected;
}

// A mosquitto broker of the test's own on 127.0.0.1, without persistence; stopped when it goes.
class TestBroker {
 public:
  TestBroker() : port_(FreePort()) {
    QFile config(dir_.filePath(QStringLiteral("mosquitto.conf")));
    config.open(QIODevice::WriteOnly);
    config.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\npersistence false\n")
                     .arg(port_)
                     .toUtf8());
  }
  ~TestBroker() { Stop(); }

  int Port() const { return port_; }

  bool Start() {
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.start(QStringLiteral(MOSQUITTO_BROKER),
                   {QStringLiteral("-c"), dir_.filePath(QStringLiteral("mosquitto.conf"))});
    return process_.waitForStarted() && WaitUntil([this] { return Accepts(port_); });
  }
  void Stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(10000)) process_.kill();
    process_.waitForFinished();
  }

 private:
  QTemporaryDir dir_;
  int port_;
  QProcess process_;
};

// One message as a subscriber received it.
struct ReceivedMessage {
  std::string topic;
  std::string payload;
  bool retained = false;
};

// Subscribes to topics on the test broker (again after every reconnect) and keeps what comes.
class Subscriber {
 public:
  Subscriber(int port, std::vector<std::string> topics) : topics_(std::move(topics)) {
    mosquitto_lib_init();
    client_ = mosquitto_new(nullptr, true, this);
    mosquitto_reconnect_delay_set(client_, 1, 1, false);
    mosquitto_connect_callback_set(client_, [](mosquitto* client, void* self, int) {
      for (const std::string& topic : static_cast<Subscriber*>(self)->topics_) {
        mosquitto_subscribe(client, nullptr, topic.c_str(), 1);
      }
    });
    mosquitto_subscribe_callback_set(client_, [](mosquitto*, void* self, int, int, const int*) {
      static_cast<Subscriber*>(self)->subscribed_ = true;
    });
    mosquitto_message_callback_set(
        client_, [](mosquitto*, void* self, const mosquitto_message* message) {
          auto* subscriber = static_cast<Subscriber*>(self);
          const std::lock_guard lock(subscriber->lock_);
          subscriber->messages_.push_back(
              {message->topic,
               std::string(static_cast<const char*>(message->payload),
                           static_cast<std::size_t>(message->payloadlen)),
               message->retain});
        });
    mosquitto_connect_async(client_, "127.0.0.1", port, 60);
    mosquitto_loop_start(client_);
  }
  ~Subscriber() {
    mosquitto_disconnect(client_);
    mosquitto_loop_stop(client_, false);
    mosquitto_destroy(client_);
    mosquitto_lib_cleanup();
  }

  bool WaitUntilSubscribed() {
    return WaitUntil([this] { return subscribed_.load(); });
  }
  std::vector<ReceivedMessage> Messages(const std::string& topic = "") const {
    const std::lock_guard lock(lock_);
    std::vector<ReceivedMessage> found;
    for (const ReceivedMessage& m : messages_) {
      if (topic.empty() || m.topic == topic) found.push_back(m);
    }
    return found;
  }

 private:
  std::vector<std::string> topics_;
  mosquitto* client_ = nullptr;
  std::atomic<bool> subscribed_{false};
  mutable std::mutex lock_;
  std::vector<ReceivedMessage> messages_;
};

// The logger program as a user runs it, its standard error kept.
class LoggerProcess {
 public:
  explicit LoggerProcess(const QStringList& arguments) {
    process_.start(QStringLiteral(LOGGER_PROGRAM), arguments);
  }
  ~LoggerProcess() {
    process_.kill();
    process_.waitForFinished();
  }
  QString Errors() {
    errors_ += QString::fromLocal8Bit(process_.readAllStandardError());
    return errors_;
  }
  bool Said(const QString& text) { return Errors().contains(text); }
  qsizetype Records() { return Errors().count(QStringLiteral(": record ")); }
  // SIGTERM, then the exit status; -1 when it did not end normally within the limit.
  int Terminate() {
    process_.terminate();
    return Finish();
  }
  int Finish() {
    if (!process_.waitForFinished(30000) || process_.exitStatus() != QProcess::NormalExit) return -1;
    return process_.exitCode();
  }
  QString Output() { return QString::fromLocal8Bit(process_.readAllStandardOutput()); }

 private:
  QProcess process_;
  QString errors_;
};
