// The logger's command line, file names and state messages, without a broker or a device.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "logger/dated_log.h"
#include "logger/logger_options.h"
#include "logger/record_json.h"

namespace {

LoggerCommand Parse(const char* arguments, const char* password = nullptr) {
  return ParseLoggerOptions(
      QStringLiteral("logger %1").arg(QString::fromUtf8(arguments)).split(u' '), password);
}

TEST(LoggerOptions, RefusesWhatItCannotUse) {
  for (const char* arguments :
       {"--bogus", "-bogus", "-platform offscreen", "--simulate", "--log=", "--log a.csv extra",
        "--log a.csv --interval 0", "--log a.csv --interval nan", "--log a.csv --homeassistant",
        "--mqtt host:0", "--mqtt host:x", "--mqtt host:", "--mqtt [::1", "--mqtt=",
        "--mqtt h --topic a/#", "--mqtt h --topic a/", "--log a.csv --mqtt-password-file p"}) {
    const LoggerCommand command = Parse(arguments);
    const auto* refused = std::get_if<ProgramExit>(&command);
    ASSERT_TRUE(refused != nullptr && refused->status == kExitUsage) << arguments;
    EXPECT_TRUE(refused->text.startsWith(QStringLiteral("kelvra-anemometer-logger: ")) &&
                refused->text.endsWith(QStringLiteral("Try 'kelvra-anemometer-logger --help'.\n")))
        << refused->text.toStdString();
  }
}

TEST(LoggerOptions, BrokerAddressPortsAndPassword) {
  const struct {
    const char* arguments;
    const char* host;
    int port;
    bool tls;
  } cases[] = {
      {"--mqtt broker.lan", "broker.lan", 1883, false},
      {"--mqtt 10.0.0.2:1884", "10.0.0.2", 1884, false},
      {"--mqtt [::1]:1885", "::1", 1885, false},
      {"--mqtt ::1", "::1", 1883, false},
      {"--mqtt h --mqtt-tls", "h", 8883, true},
      {"--mqtt h:8884 --mqtt-cafile ca.pem", "h", 8884, true},
  };
  for (const auto& c : cases) {
    const LoggerCommand command =
        Parse((std::string(c.arguments) + " --mqtt-user station").c_str(), "secret");
    ASSERT_TRUE(std::holds_alternative<LoggerOptions>(command)) << c.arguments;
    const MqttSettings& mqtt = *std::get<LoggerOptions>(command).mqtt;
    EXPECT_EQ(mqtt.host, c.host);
    EXPECT_EQ(mqtt.port, c.port);
    EXPECT_EQ(mqtt.tls, c.tls);
    EXPECT_EQ(mqtt.user + "/" + mqtt.password.value_or(""), "station/secret");
    EXPECT_EQ(mqtt.StateTopic(), "kelvra/anemometer/state");
  }
}

TEST(LoggerOptions, ThePasswordFromAFileACredentialOrTheEnvironmentInThisOrder) {
  QTemporaryDir dir;
  const auto write = [&](const char* name, const char* text) {
    QFile file(dir.filePath(QString::fromUtf8(name)));
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return dir.filePath(QString::fromUtf8(name)).toStdString();
  };
  const std::string passwordFile = write("password", "from file\r\nsecond line\n");
  QDir(dir.path()).mkdir(QStringLiteral("credentials"));
  write("credentials/mqtt-password", "from credential");
  const std::string credentials = dir.filePath(QStringLiteral("credentials")).toStdString();
  const std::string noCredential = dir.path().toStdString();  // no mqtt-password there
  const struct {
    std::string arguments;
    const char* credentialsDirectory;
    const char* expected;  // null: no password
  } cases[] = {
      {"--mqtt-password-file " + passwordFile, credentials.c_str(), "from file"},
      {"", credentials.c_str(), "from credential"},
      {"", noCredential.c_str(), "from environment"},
      {"", nullptr, "from environment"},
  };
  for (const auto& c : cases) {
    const std::string arguments = "--mqtt h --mqtt-user u " + c.arguments;
    const LoggerCommand command = ParseLoggerOptions(QStringLiteral("logger %1")
                                                         .arg(QString::fromStdString(arguments))
                                                         .split(u' ', Qt::SkipEmptyParts),
                                                     "from environment", c.credentialsDirectory);
    ASSERT_TRUE(std::holds_alternative<LoggerOptions>(command)) << arguments;
    EXPECT_EQ(std::get<LoggerOptions>(command).mqtt->password, c.expected) << arguments;
  }
  for (const std::string& unreadable : {dir.filePath(QStringLiteral("missing")).toStdString(),
                                        std::string("/dev/zero"), dir.path().toStdString()}) {
    const LoggerCommand command =
        Parse(("--mqtt h --mqtt-password-file " + unreadable).c_str(), "from environment");
    const auto* refused = std::get_if<ProgramExit>(&command);
    ASSERT_TRUE(refused != nullptr && refused->status == kExitUsage) << unreadable;
    EXPECT_TRUE(refused->text.contains(QStringLiteral("Cannot read the password file")));
  }
}

TEST(DatedFileName, TheRecordsDateInThePattern) {
  const SystemTime date{2027, 1, 2, 5, 23, 59, 59, 0};
  for (const auto& [pattern, name] : {std::pair{"wind-%Y-%m-%d.csv", "wind-2027-01-05.csv"},
                                      {"/var/log/%Y/%m/wind.csv", "/var/log/2027/01/wind.csv"},
                                      {"100%%-%d.csv", "100%-05.csv"},
                                      {"odd%q%", "odd%q%"}}) {
    EXPECT_EQ(DatedFileName(QString::fromUtf8(pattern), date).toStdString(), name) << pattern;
  }
}

TEST(StateJson, FieldsTimeWithOffsetAndNothingNonFinite) {
  const struct {
    const char* zone;  // POSIX rules, so no time-zone database is needed
    SystemTime time;
    const char* iso;
  } cases[] = {
      {"UTC0", {2026, 12, 1, 7, 11, 45, 3, 0}, "2026-12-07T11:45:03+00:00"},
      {"CET-1CEST,M3.5.0,M10.5.0/3", {2026, 12, 1, 7, 11, 45, 3, 0}, "2026-12-07T11:45:03+01:00"},
      {"CET-1CEST,M3.5.0,M10.5.0/3", {2026, 7, 1, 7, 0, 0, 0, 0}, "2026-07-07T00:00:00+02:00"},
      {"NST3:30", {2026, 1, 1, 2, 8, 9, 10, 0}, "2026-01-02T08:09:10-03:30"},
  };
  const QByteArray savedZone = qgetenv("TZ");
  MeasurementRecord record;
  record.AvgSpeed = 3.2f;
  record.GustSpeed = INFINITY;
  record.Temperature = -4.5f;
  record.WindChillAvg = NAN;
  record.Sector = 3;
  for (const auto& c : cases) {
    qputenv("TZ", c.zone);
    tzset();
    record.Time = c.time;
    const QJsonObject state = QJsonDocument::fromJson(StateJson(record)).object();
    EXPECT_EQ(state[QLatin1String("time")].toString().toStdString(), c.iso) << c.zone;
    EXPECT_EQ(state[QLatin1String("wind_speed")].toDouble(), 3.2) << "the float's own digits";
    EXPECT_EQ(state[QLatin1String("wind_direction")].toString(), QStringLiteral("ENE"));
    EXPECT_EQ(state[QLatin1String("wind_direction_deg")].toDouble(), 67.5);
    EXPECT_EQ(state[QLatin1String("temperature")].toDouble(), -4.5);
    EXPECT_FALSE(state.contains(QLatin1String("wind_gust")) ||
                 state.contains(QLatin1String("wind_chill")));
    EXPECT_EQ(state.size(), 8) << StateJson(record).toStdString();
  }
  savedZone.isNull() ? qunsetenv("TZ") : qputenv("TZ", savedZone);
  tzset();

  record.Sector = 16;  // no direction: its name, no angle
  const QJsonObject state = QJsonDocument::fromJson(StateJson(record)).object();
  EXPECT_EQ(state[QLatin1String("wind_direction")].toString(), QStringLiteral("--"));
  EXPECT_FALSE(state.contains(QLatin1String("wind_direction_deg")));
}

}  // namespace
