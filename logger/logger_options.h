#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>
#include <string>
#include <variant>

#include "program_options/program_command_line.h"
#include "timeseries/influx_target.h"
#include "web/http_address.h"

inline constexpr int kDefaultMqttPort = 1883;
inline constexpr int kDefaultMqttTlsPort = 8883;
inline constexpr char kDefaultTopicPrefix[] = "kelvra/anemometer";
// Availability goes offline after three report intervals without a report, never sooner than
// this: a report or two lost on the way is no outage.
inline constexpr std::chrono::milliseconds kShortestSilence{30000};

// Where and how the logger publishes to an MQTT broker.
struct MqttSettings {
  std::string host;
  int port = kDefaultMqttPort;  // kDefaultMqttTlsPort by default with TLS
  std::string topicPrefix = kDefaultTopicPrefix;
  std::string user;  // empty: no user name
  // From --mqtt-password-file, else the systemd credential mqtt-password, else
  // KELVRA_MQTT_PASSWORD; never from the command line itself.
  std::optional<std::string> password;
  bool tls = false;
  std::string caFile;  // empty: the system's certificate store
  bool homeAssistant = false;
  // Publish empty retained discovery configurations for this prefix and end, capturing nothing.
  bool removeHomeAssistant = false;
  // No report for this long: PREFIX/availability says offline until the next one; the discovery's
  // expire_after says the same to Home Assistant.
  std::chrono::milliseconds silence = kShortestSilence;

  std::string StateTopic() const { return topicPrefix + "/state"; }
  std::string AvailabilityTopic() const { return topicPrefix + "/availability"; }
};

// The CSV log's format: the window's live log (Windows-1250, local time as the window shows it,
// CR LF), or UTF-8 with ISO 8601 times for other tools.
enum class LogFormat { Live, Iso };

// Who may read the web server and whether it speaks HTTPS.
struct WebAccess {
  std::string user;         // --http-user; empty: anyone
  std::string password;     // from KELVRA_HTTP_PASSWORD, never from the command line
  QString certificateFile;  // --http-cert and --http-key, both or neither; empty: plain HTTP
  QString keyFile;
};

struct LoggerOptions {
  QString logPattern;  // empty: no CSV log
  LogFormat logFormat = LogFormat::Live;
  bool simulate = false;
  std::chrono::milliseconds interval{5000};  // the report interval, the simulator's or the device's
  std::optional<MqttSettings> mqtt;
  std::optional<InfluxTarget> influx;  // --influx URL: every archived record to this server
  QString configDir;  // --config-dir, absolute; empty: where the window finds its files
  ArchiveChoice archive;
  // The name the archive keeps the records under: --station, else the last part of the MQTT
  // topic prefix, else "default".
  std::string station = "default";
  std::optional<HttpAddress> http;  // --http: the web server's address
  WebAccess webAccess;
  bool verbose = false;
};

// What the command line asks for: a run, or an end at once (--help, --version, a usage error).
using LoggerCommand = std::variant<LoggerOptions, ProgramExit>;

// The systemd credential that holds the broker password (LoadCredential=mqtt-password:FILE).
inline constexpr char kPasswordCredential[] = "mqtt-password";

// The secrets of --influx, taken from the environment: KELVRA_INFLUX_PASSWORD (1.x, with
// --influx-user) and KELVRA_INFLUX_TOKEN (2.x); null when not set.
struct InfluxSecrets {
  const char* password = nullptr;
  const char* token = nullptr;
};

// arguments as main() received them, program name first. passwordVariable is the value of
// KELVRA_MQTT_PASSWORD, credentialsDirectory that of CREDENTIALS_DIRECTORY and httpPassword
// that of KELVRA_HTTP_PASSWORD (null when not set). A password file that cannot be read is a
// usage error; the web server's certificate and key are read when it starts.
LoggerCommand ParseLoggerOptions(const QStringList& arguments, const char* passwordVariable,
                                 const char* credentialsDirectory = nullptr,
                                 InfluxSecrets influxSecrets = {},
                                 const char* httpPassword = nullptr);
