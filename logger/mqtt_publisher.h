#pragma once

#include <QByteArray>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "logger/logger_options.h"
#include "logger/record_json.h"

struct mosquitto;
class StatusLines;

// The logger's connection to an MQTT broker, through libmosquitto. A thread of its own runs the
// connection: it connects in the background, publishes the availability (and the Home Assistant
// discovery configurations) on every connect, and when the broker cannot be reached or goes away
// it tries again after 1 s, doubling up to 30 s; a broker that takes the connection but does not
// answer it within kAnswerTimeout counts as unreachable. The broker holds "offline" as the last
// will. A publish the library refuses (a topic too long) is reported once per topic.
//
// The thread sleeps in select() between events (a report to publish, a packet from the broker,
// the keep-alive), so a logger waiting for its next report costs nothing.
class MqttPublisher {
 public:
  MqttPublisher(MqttSettings settings, StatusLines& status);
  ~MqttPublisher();  // Stop()

  MqttPublisher(const MqttPublisher&) = delete;
  MqttPublisher& operator=(const MqttPublisher&) = delete;

  // Configures the client (will, credentials, TLS) and starts connecting. False, with the reason
  // in error, when the settings cannot be used (an unreadable CA file, ...).
  bool Start(std::string& error);

  // Publishes one state message, retained. While the broker is away the message is dropped: the
  // next record brings the state up to date.
  void PublishState(const QByteArray& json);

  // Whether the anemometer is delivering: "online" or "offline" on the availability topic,
  // retained, published when it changes and again on every connect. Off until the first call.
  void SetAvailable(bool available);

  // Publishes "offline", disconnects and ends the thread.
  void Stop();

  bool Connected() const { return connected_; }

  // The keep-alive interval; the thread's sleep is bounded by half of it.
  static constexpr int kKeepAliveSeconds = 60;
  static constexpr std::chrono::seconds kFirstRetry{1};
  static constexpr std::chrono::seconds kLongestRetry{30};
  // How long a broker that took the connection may take to answer it before it is given up.
  static constexpr std::chrono::seconds kAnswerTimeout{15};

 private:
  void Run();
  void Connected(int result);
  void Disconnected();
  void Publish(const std::string& topic, const QByteArray& payload, int qos);
  std::string Address() const;

  const MqttSettings settings_;
  const std::string stateTopic_;  // published with every record
  StatusLines& status_;
  mosquitto* client_ = nullptr;
  std::thread thread_;
  std::atomic<bool> connected_{false};
  std::atomic<bool> stopping_{false};
  std::mutex lock_;
  std::condition_variable stopRequested_;
  // Held while the availability is changed or published, so that a connect on the thread and a
  // change on the capture's thread publish in the order the broker must keep.
  std::mutex availabilityLock_;
  bool available_ = false;
  // The thread's own.
  std::chrono::seconds retryDelay_ = kFirstRetry;
  bool refused_ = false;  // the broker answered with a refusal, said once
  std::chrono::steady_clock::time_point connecting_;  // when the last attempt began
  // Topics whose publish the library refused, each reported once.
  std::mutex refusedLock_;
  std::set<std::string> refusedTopics_;
};

// Connects, publishes these messages retained with QoS 1, waits until the broker has taken each,
// and disconnects; no will, no availability. False, with the reason in error, when the broker
// cannot be reached, refuses the connection or has not taken them all within limit.
bool PublishRetainedOnce(const MqttSettings& settings, const std::vector<RetainedMessage>& messages,
                         std::chrono::seconds limit, std::string& error);
