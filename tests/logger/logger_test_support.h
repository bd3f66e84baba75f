#pragma once

#include <curl/curl.h>

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
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

// An HTTP answer of the logger's web server.
struct Reply {
  long status = 0;  // 0: no HTTP answer (refused, closed, timed out)
  std::string headers;
  std::string body;

  QJsonObject Json() const {
    return QJsonDocument::fromJson(QByteArray::fromStdString(body)).object();
  }
};

inline size_t Append(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

// How a request is made besides its path: its credentials, HTTPS, its time bound.
struct Client {
  std::string login;   // USER:PASSWORD for basic authentication; empty: none
  std::string caFile;  // not empty: HTTPS, trusting this certificate
  long timeoutMs = 20000;
};

// A request with a bound; the path is sent as given, ".." and all. The status is also kept
// when the answer's body is cut off by the bound (an event stream).
inline Reply Request(int port, const std::string& path, const std::string& header = {},
                     const char* method = nullptr, const Client& client = {}) {
  Reply reply;
  CURL* curl = curl_easy_init();
  const std::string url = std::string(client.caFile.empty() ? "http" : "https") +
                          "://127.0.0.1:" + std::to_string(port) + path;
  curl_slist* headers = header.empty() ? nullptr : curl_slist_append(nullptr, header.c_str());
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, client.timeoutMs);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  if (method != nullptr) curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method);
  if (!client.login.empty()) {
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
    curl_easy_setopt(curl, CURLOPT_USERPWD, client.login.c_str());
  }
  if (!client.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, client.caFile.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Append);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &Append);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &reply.headers);
  const CURLcode result = curl_easy_perform(curl);
  if (result == CURLE_OK || result == CURLE_OPERATION_TIMEDOUT) {
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
  }
  curl_easy_cleanup(curl);
  curl_slist_free_all(headers);
  return reply;
}
