#include "logger/mqtt_publisher.h"

#include <mosquitto.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "files/regular_file.h"
#include "logger/record_json.h"
#include "logger/status_lines.h"

namespace {

constexpr int kSelectTimeoutMs = MqttPublisher::kKeepAliveSeconds * 1000 / 2;
constexpr int kAnswerPollMs = 500;
constexpr char kSystemCertificates[] = "/etc/ssl/certs";
constexpr std::size_t kLargestCaFile = 4 * 1024 * 1024;

constexpr char kOnline[] = "online";
constexpr char kOffline[] = "offline";

std::string ErrorText(int result) {
  if (result == MOSQ_ERR_ERRNO) return std::strerror(errno);
  return mosquitto_strerror(result);
}

// Credentials and TLS, as the settings say.
int SetUpClient(mosquitto* client, const MqttSettings& settings) {
  int result = MOSQ_ERR_SUCCESS;
  if (!settings.user.empty()) {
    result = mosquitto_username_pw_set(client, settings.user.c_str(),
                                       settings.password ? settings.password->c_str() : nullptr);
  }
  if (result == MOSQ_ERR_SUCCESS && settings.tls) {
    result = settings.caFile.empty() ? mosquitto_tls_set(client, nullptr, kSystemCertificates,
                                                         nullptr, nullptr, nullptr)
                                     : mosquitto_tls_set(client, settings.caFile.c_str(), nullptr,
                                                         nullptr, nullptr, nullptr);
  }
  return result;
}

std::string SetUpError(const MqttSettings& settings, int result) {
  std::string error = "cannot set up the MQTT client: " + ErrorText(result);
  if (settings.tls && !settings.caFile.empty()) error += " (" + settings.caFile + ")";
  return error;
}

// Whether the file holds at least one PEM certificate that parses. The library only checks that
// the file can be opened, and a wrong file would otherwise fail every connection for ever.
bool HoldsCertificate(const std::string& file) {
  const std::optional<std::string> text = ReadRegularFile(file, kLargestCaFile);
  if (!text) return false;
  BIO* bio = BIO_new_mem_buf(text->data(), static_cast<int>(text->size()));
  if (bio == nullptr) return false;
  X509* certificate = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
  const bool found = certificate != nullptr;
  X509_free(certificate);
  BIO_free(bio);
  return found;
}

}  // namespace

MqttPublisher::MqttPublisher(MqttSettings settings, StatusLines& status)
    : settings_(std::move(settings)), stateTopic_(settings_.StateTopic()), status_(status) {
  mosquitto_lib_init();
}

MqttPublisher::~MqttPublisher() {
  Stop();
  if (client_ != nullptr) mosquitto_destroy(client_);
  mosquitto_lib_cleanup();
}

std::string MqttPublisher::Address() const {
  return settings_.host + ":" + std::to_string(settings_.port);
}

bool MqttPublisher::Start(std::string& error) {
  if (settings_.tls && !settings_.caFile.empty() && !HoldsCertificate(settings_.caFile)) {
    error = "the CA file " + settings_.caFile + " cannot be read or holds no certificate";
    return false;
  }
  client_ = mosquitto_new(nullptr, true, this);
  if (client_ == nullptr) {
    error = "cannot create the MQTT client";
    return false;
  }
  // Publishing happens on the capture's thread while this thread runs the connection.
  mosquitto_threaded_set(client_, true);
  int result = mosquitto_will_set(client_, settings_.AvailabilityTopic().c_str(),
                                  static_cast<int>(sizeof kOffline - 1), kOffline, 1, true);
  if (result == MOSQ_ERR_SUCCESS) result = SetUpClient(client_, settings_);
  if (result != MOSQ_ERR_SUCCESS) {
    error = SetUpError(settings_, result);
    return false;
  }
  mosquitto_connect_callback_set(client_, [](mosquitto*, void* self, int answer) {
    static_cast<MqttPublisher*>(self)->Connected(answer);
  });
  mosquitto_disconnect_callback_set(client_, [](mosquitto*, void* self, int) {
    static_cast<MqttPublisher*>(self)->Disconnected();
  });
  thread_ = std::thread(&MqttPublisher::Run, this);
  return true;
}

void MqttPublisher::Run() {
  connecting_ = std::chrono::steady_clock::now();
  int result =
      mosquitto_connect_async(client_, settings_.host.c_str(), settings_.port, kKeepAliveSeconds);
  for (;;) {
    bool silent = false;  // a broker that took the connection and never answered it
    if (result == MOSQ_ERR_SUCCESS) {
      // Returns after network traffic, a publish from another thread, or the time-out; shorter
      // while the answer to the connection is awaited.
      const bool waiting = !connected_ && !refused_;
      result = mosquitto_loop(client_, waiting ? kAnswerPollMs : kSelectTimeoutMs, 1);
      if (stopping_ && (!connected_ || result != MOSQ_ERR_SUCCESS)) return;
      silent = result == MOSQ_ERR_SUCCESS && !connected_ && !refused_ &&
               std::chrono::steady_clock::now() - connecting_ >= kAnswerTimeout;
      if (result == MOSQ_ERR_SUCCESS && !silent) continue;
    }
    if (stopping_) return;
    connected_ = false;
    if (silent) {
      status_.Say("broker", "the MQTT broker at " + Address() + " did not answer within " +
                                std::to_string(kAnswerTimeout.count()) + " s; trying again");
      mosquitto_disconnect(client_);
    } else if (!refused_) {
      status_.Say("broker", "cannot reach the MQTT broker at " + Address() + " (" +
                                ErrorText(result) + "); trying again");
    }
    {
      std::unique_lock lock(lock_);
      if (stopRequested_.wait_for(lock, retryDelay_, [this] { return stopping_.load(); })) return;
    }
    retryDelay_ = std::min(retryDelay_ * 2, kLongestRetry);
    connecting_ = std::chrono::steady_clock::now();
    result = mosquitto_reconnect_async(client_);
  }
}

void MqttPublisher::Connected(int result) {
  refused_ = result != 0;
  if (refused_) {
    status_.Say("broker", "the MQTT broker at " + Address() +
                              " refused the connection: " + mosquitto_connack_string(result));
    return;
  }
  retryDelay_ = kFirstRetry;
  status_.Say("broker", "connected to the MQTT broker at " + Address());
  {
    const std::lock_guard lock(availabilityLock_);
    connected_ = true;
    Publish(settings_.AvailabilityTopic(), available_ ? kOnline : kOffline, 1);
  }
  if (settings_.homeAssistant) {
    for (const RetainedMessage& message : HomeAssistantDiscovery(settings_)) {
      Publish(message.topic, message.payload, 1);
    }
  }
}

void MqttPublisher::Disconnected() {
  if (connected_.exchange(false) && !stopping_) {
    status_.Say("broker", "lost the MQTT broker at " + Address());
  }
}

void MqttPublisher::Publish(const std::string& topic, const QByteArray& payload, int qos) {
  const int result =
      mosquitto_publish(client_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                        payload.constData(), qos, true);
  // Without a connection the message is simply dropped (the class's rule); anything else is a
  // message the broker will never get, whatever happens to the connection.
  if (result == MOSQ_ERR_SUCCESS || result == MOSQ_ERR_NO_CONN || result == MOSQ_ERR_CONN_LOST) {
    return;
  }
  {
    const std::lock_guard lock(refusedLock_);
    if (!refusedTopics_.insert(topic).second) return;
  }
  const std::string shown =
      topic.size() > 80 ? topic.substr(0, 40) + "..." + topic.substr(topic.size() - 37) : topic;
  status_.Always("the MQTT library refused to publish to " + shown + " (" + ErrorText(result) +
                 "); the message is dropped");
}

void MqttPublisher::PublishState(const QByteArray& json) {
  if (connected_) Publish(stateTopic_, json, 0);
}

void MqttPublisher::SetAvailable(bool available) {
  const std::lock_guard lock(availabilityLock_);
  if (available == available_) return;
  available_ = available;
  if (connected_) Publish(settings_.AvailabilityTopic(), available ? kOnline : kOffline, 1);
}

void MqttPublisher::Stop() {
  if (!thread_.joinable()) return;
  {
    const std::lock_guard lock(lock_);
    stopping_ = true;
  }
  stopRequested_.notify_all();
  // Both go out in this order before the connection closes; the broker keeps "offline".
  bool wasConnected = false;
  {
    const std::lock_guard lock(availabilityLock_);
    available_ = false;
    wasConnected = connected_;
    if (wasConnected) Publish(settings_.AvailabilityTopic(), kOffline, 1);
  }
  mosquitto_disconnect(client_);
  thread_.join();
  if (wasConnected) status_.Say("broker", "published offline and disconnected");
}

namespace {

// What the callbacks of PublishRetainedOnce see.
struct OneShot {
  const std::vector<RetainedMessage>* messages;
  std::size_t taken = 0;  // acknowledged by the broker
  int refusal = -1;       // the broker's answer to the connect; -1 before it
};

}  // namespace

bool PublishRetainedOnce(const MqttSettings& settings, const std::vector<RetainedMessage>& messages,
                         std::chrono::seconds limit, std::string& error) {
  mosquitto_lib_init();
  OneShot shot{&messages};
  mosquitto* client = mosquitto_new(nullptr, true, &shot);
  const auto address = settings.host + ":" + std::to_string(settings.port);
  bool done = false;
  if (client == nullptr) {
    error = "cannot create the MQTT client";
  } else if (const int setUp = SetUpClient(client, settings); setUp != MOSQ_ERR_SUCCESS) {
    error = SetUpError(settings, setUp);
  } else {
    mosquitto_connect_callback_set(client, [](mosquitto* self, void* data, int answer) {
      auto& state = *static_cast<OneShot*>(data);
      state.refusal = answer;
      if (answer != 0) return;
      for (const RetainedMessage& message : *state.messages) {
        mosquitto_publish(self, nullptr, message.topic.c_str(),
                          static_cast<int>(message.payload.size()), message.payload.constData(), 1,
                          true);
      }
    });
    mosquitto_publish_callback_set(
        client, [](mosquitto*, void* data, int) { ++static_cast<OneShot*>(data)->taken; });
    int result = mosquitto_connect(client, settings.host.c_str(), settings.port,
                                   MqttPublisher::kKeepAliveSeconds);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (result == MOSQ_ERR_SUCCESS && shot.refusal <= 0 && shot.taken < messages.size() &&
           std::chrono::steady_clock::now() < deadline) {
      result = mosquitto_loop(client, 100, 1);
    }
    done = shot.refusal == 0 && shot.taken == messages.size();
    if (result != MOSQ_ERR_SUCCESS) {
      error = "cannot reach the MQTT broker at " + address + " (" + ErrorText(result) + ")";
    } else if (shot.refusal > 0) {
      error = "the MQTT broker at " + address +
              " refused the connection: " + mosquitto_connack_string(shot.refusal);
    } else if (!done) {
      error = "the MQTT broker at " + address + " did not take the messages in time";
    }
    if (result == MOSQ_ERR_SUCCESS) {
      mosquitto_disconnect(client);
      mosquitto_loop(client, 100, 1);
    }
  }
  if (client != nullptr) mosquitto_destroy(client);
  mosquitto_lib_cleanup();
  return done;
}
