#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>
#include <string>
#include <variant>

#include "program_options/program_command_line.h"

inline constexpr int kDefaultMqttPort = 1883;
inline constexpr int kDefaultMqttTlsPort = 8883;
inline constexpr char kDefaultTopicPrefix[] = "kelvra/anemometer";

// Where and how the logger publishes to an MQTT broker.
struct MqttSettings {
  std::string host;
  int port = kDefaultMqttPort;  // kDefaultMqttTlsPort by default with TLS
  std::string topicPrefix = kDefaultTopicPrefix;
  std::string user;                     // empty: no user name
  std::optional<std::string> password;  // from KELVRA_MQTT_PASSWORD only
  bool tls = false;
  std::string caFile;  // empty: the system's certificate store
  bool homeAssistant = false;

  std::string StateTopic() const { return topicPrefix + "/state"; }
  std::string AvailabilityTopic() const { return topicPrefix + "/availability"; }
};

struct LoggerOptions {
  QString logPattern;  // empty: no CSV log
  bool simulate = false;
  std::chrono::milliseconds interval{5000};  // the simulator's report interval
  std::optional<MqttSettings> mqtt;
  QString configDir;  // --config-dir, absolute; empty: where the window finds its files
  bool verbose = false;
};

// What the command line asks for: a run, or an end at once (--help, --version, a usage error).
using LoggerCommand = std::variant<LoggerOptions, ProgramExit>;

// arguments as main() received them, program name first. passwordVariable is the value of
// KELVRA_MQTT_PASSWORD (null when it is not set).
LoggerCommand ParseLoggerOptions(const QStringList& arguments, const char* passwordVariable);
