#include "logger/logger_program.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "capture/this_program_files.h"
#include "device/hidapi_transport.h"
#include "device/simulated_anemometer.h"
#include "device/system_clock.h"
#include "files/regular_file.h"
#include "logger/headless_logger.h"
#include "logger/logger_options.h"
#include "logger/mqtt_publisher.h"
#include "logger/record_json.h"
#include "logger/secrets.h"
#include "logger/status_lines.h"
#include "logger/stop_signals.h"
#include "program_options/program_command_line.h"
#include "web/live_station.h"
#include "web/web_routes.h"
#include "web/web_server.h"

namespace {

// How long --homeassistant-remove waits for the broker to take the empty configurations.
constexpr std::chrono::seconds kRemovalLimit{30};
// Far above any certificate chain or key.
constexpr std::size_t kLargestPemFile = 1024 * 1024;

// The web server's login and, with --http-cert, the certificate and key read from their files;
// false with the reason when a file cannot be read.
bool WebSecurity(const WebAccess& access, WebServer::Security& security, std::string& error) {
  security.user = access.user;
  security.password = access.password;
  if (access.certificateFile.isEmpty()) return true;
  for (const auto& [file, pem, what] :
       {std::tuple{&access.certificateFile, &security.certificate, "certificate"},
        std::tuple{&access.keyFile, &security.key, "key"}}) {
    std::optional<std::string> content =
        ReadRegularFile(QFile::encodeName(*file).toStdString(), kLargestPemFile);
    if (!content) {
      error = std::string("cannot read the web server's ") + what + " '" + file->toStdString() +
              "' (missing, not readable by this user, not a regular file, or over 1 MiB)";
      return false;
    }
    *pem = std::move(*content);
  }
  return true;
}

}  // namespace

int RunLogger(int argc, char** argv) {
  // Before anything else, so that a signal during start-up also ends the run cleanly.
  CatchSignals();
  // Read once and wiped, before anything can copy the environment.
  const std::optional<std::string> password = TakeSecretFromEnvironment("KELVRA_MQTT_PASSWORD");
  const std::optional<std::string> influxPassword =
      TakeSecretFromEnvironment("KELVRA_INFLUX_PASSWORD");
  const std::optional<std::string> influxToken = TakeSecretFromEnvironment("KELVRA_INFLUX_TOKEN");
  const std::optional<std::string> httpPassword = TakeSecretFromEnvironment("KELVRA_HTTP_PASSWORD");
  QCoreApplication application(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  StatusLines status;
  HeadlessLogger* running = nullptr;
  const StopSignals stopSignals([](int) { QCoreApplication::quit(); },
                                [&running, &status] {
                                  if (running == nullptr) return;
                                  status.Always("SIGHUP: opening the log file again");
                                  running->ReopenLog();
                                });

  const LoggerCommand command =
      ParseLoggerOptions(QCoreApplication::arguments(), password ? password->c_str() : nullptr,
                         std::getenv("CREDENTIALS_DIRECTORY"),
                         {influxPassword ? influxPassword->c_str() : nullptr,
                          influxToken ? influxToken->c_str() : nullptr},
                         httpPassword ? httpPassword->c_str() : nullptr);
  if (const auto* end = std::get_if<ProgramExit>(&command)) return Finish(*end);
  const LoggerOptions options = std::get<LoggerOptions>(command);
  if (options.mqtt && options.mqtt->removeHomeAssistant) {
    std::string error;
    const MqttSettings& mqtt = *options.mqtt;
    if (!PublishRetainedOnce(mqtt, HomeAssistantRemoval(mqtt), kRemovalLimit, error)) {
      std::fprintf(stderr, "kelvra-anemometer-logger: %s\n", error.c_str());
      return 1;
    }
    status.Say("broker", "removed the Home Assistant sensors of " + mqtt.topicPrefix);
    return 0;
  }

  std::unique_ptr<HidTransport> transport;
  if (options.simulate) {
    transport = std::make_unique<SimulatedAnemometer>(options.interval);
  } else {
    transport = std::make_unique<HidapiTransport>();
  }
  SystemClock clock;
  std::unique_ptr<MqttPublisher> publisher;
  if (options.mqtt) {
    publisher = std::make_unique<MqttPublisher>(*options.mqtt, status);
    std::string error;
    if (!publisher->Start(error)) {
      std::fprintf(stderr, "kelvra-anemometer-logger: %s\n", error.c_str());
      return kExitUsage;
    }
  }
  // anemometer.cal and anemometer.ini: --config-dir, else where the window reads them; a file
  // missing there comes from the installed defaults.
  HeadlessLogger logger(options, LocateThisProgramsFiles(options.configDir), *transport, clock,
                        status, publisher.get());
  std::optional<WebRoutes> routes;
  std::optional<WebServer> web;
  if (options.http) {
    routes.emplace(
        logger.Live(),
        [&logger]() -> StationArchive* {
          RecordArchiver* archiver = logger.Session().Archiver();
          return archiver != nullptr ? archiver->Archive() : nullptr;
        },
        options.station);
    WebServer::Security security;
    std::string error;
    if (!WebSecurity(options.webAccess, security, error)) {
      std::fprintf(stderr, "kelvra-anemometer-logger: %s\n", error.c_str());
      return 1;
    }
    web.emplace(
        *options.http,
        [&routes](const QByteArray& path, const QueryParameters& query, std::string_view language) {
          return routes->Answer(path, query, language);
        },
        WebServer::Limits{}, std::move(security));
    if (!web->Start(error)) {
      std::fprintf(stderr, "kelvra-anemometer-logger: %s\n", error.c_str());
      return 1;
    }
    logger.Live().SetListener([&web](const QJsonObject& current) {
      web->Broadcast("record", QJsonDocument(current).toJson(QJsonDocument::Compact));
    });
    status.Say("web",
               std::string(web->Tls() ? "serving https://" : "serving http://") +
                   (options.http->ipv6 ? "[" + options.http->host + "]" : options.http->host) +
                   ":" + std::to_string(web->Port()) + "/");
  }
  running = &logger;
  logger.Start();
  QCoreApplication::exec();
  running = nullptr;
  if (web) {
    logger.Live().SetListener({});
    web->Stop();
  }
  logger.Stop();
  if (publisher) publisher->Stop();
  status.Say("run", "stopped after " + std::to_string(logger.Records()) + " records");
  return 0;
}
