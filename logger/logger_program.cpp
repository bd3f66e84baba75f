#include "logger/logger_program.h"

#include <QCoreApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "logger/headless_logger.h"
#include "device/hidapi_transport.h"
#include "logger/logger_options.h"
#include "logger/mqtt_publisher.h"
#include "device/simulated_anemometer.h"
#include "logger/status_lines.h"
#include "logger/stop_signals.h"
#include "device/system_clock.h"
#include "capture/this_program_files.h"

int RunLogger(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  StatusLines status;
  bool stopping = false;
  // From the start, so that a signal during start-up also ends the run cleanly.
  StopSignals stopSignals([&stopping](int) {
    stopping = true;
    QCoreApplication::quit();
  });

  const LoggerCommand command =
      ParseLoggerOptions(QCoreApplication::arguments(), std::getenv("KELVRA_MQTT_PASSWORD"));
  if (const auto* answer = std::get_if<LoggerAnswer>(&command)) {
    std::fputs(answer->text.toLocal8Bit().constData(), stdout);
    return 0;
  }
  if (const auto* error = std::get_if<LoggerUsageError>(&command)) {
    std::fprintf(stderr, "kelvra-anemometer-logger: %s\n", error->text.toLocal8Bit().constData());
    return 2;
  }
  const LoggerOptions options = std::get<LoggerOptions>(command);

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
      return 2;
    }
  }
  // anemometer.cal and anemometer.ini: --config-dir, else where the window reads them; a file
  // missing there comes from the installed defaults.
  HeadlessLogger logger(options, LocateThisProgramsFiles(options.configDir), *transport, clock,
                        status, publisher.get());
  logger.Start();
  if (!stopping) QCoreApplication::exec();
  logger.Stop();
  if (publisher) publisher->Stop();
  status.Say("run", "stopped after " + std::to_string(logger.Records()) + " records");
  return 0;
}
