// The logger's command line, file names and state messages, without a broker or a device.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>

#include "dated_log.h"
#include "logger_options.h"
#include "record_json.h"

namespace {

LoggerCommand Parse(QStringList arguments, const char* password = nullptr) {
  arguments.prepend(QStringLiteral("kelvra-anemometer-logger"));
  return ParseLoggerOptions(arguments, password);
}

TEST(LoggerOptions, RefusesWhatItCannotUse) {
  const QStringList refused[] = {
      {QStringLiteral("--bogus")},
      {QStringLiteral("--simulate")},  // nothing to do
      {QStringLiteral("--log"), QStringLiteral("")},
      {QStringLiteral("--log"), QStringLiteral("a.csv"), QStringLiteral("extra")},
      {QStringLiteral("--log"), QStringLiteral("a.csv"), QStringLiteral("--interval"), QStringLiteral("0")},
      {QStringLiteral("--log"), QStringLiteral("a.csv"), QStringLiteral("--interval"), QStringLiteral("nan")},
      {QStringLiteral("--log"), QStringLiteral("a.csv"), QStringLiteral("--homeassistant")},
      {QStringLiteral("--mqtt"), QStringLiteral("host:0")},
      {QStringLiteral("--mqtt"), QStringLiteral("host:x")},
      {QStringLiteral("--mqtt"), QStringLiteral("host:")},
      {QStringLiteral("--mqtt"), QStringLiteral("[::1")},
      {QStringLiteral("--mqtt"), QStringLiteral("")},
      {QStringLiteral("--mqtt"), QStringLiteral("h"), QStringLiteral("--topic"), QStringLiteral("a/#")},
      {QStringLiteral("--mqtt"), QStringLiteral("h"), QStringLiteral("--topic"), QStringLiteral("a/")},
  };
  for (const QStringList& arguments : refused) {
    const LoggerCommand command = Parse(arguments);
    ASSERT_TRUE(std::holds_alternative<LoggerUsageError>(command)) << arguments.join(u' ').toStdString();
    EXPECT_TRUE(std::get<LoggerUsageError>(command).text.contains(QStringLiteral("--help")));
  }
}

TEST(LoggerOptions, BrokerAddressPortsAndPassword) {
  struct Case {
    QStringList arguments;
    std::string host;
    int port;
    bool tls;
  };
  const Case cases[] = {
      {{QStringLiteral("--mqtt"), QStringLiteral("broker.lan")}, "broker.lan", 1883, false},
      {{QStringLiteral("--mqtt"), QStringLiteral("10.0.0.2:1884")}, "10.0.0.2", 1884, false},
      {{QStringLiteral("--mqtt"), QStringLiteral("[::1]:1885")}, "::1", 1885, false},
      {{QStringLiteral("--mqtt"), QStringLiteral("::1")}, "::1", 1883, false},
      {{QStringLiteral("--mqtt"), QStringLiteral("h"), QStringLiteral("--mqtt-tls")}, "h", 8883, true},
      {{QStringLiteral("--mqtt"), QStringLiteral("h:8884"), QStringLiteral("--mqtt-cafile"),
        QStringLiteral("ca.pem")}, "h", 8884, true},
  };
  for (const Case& c : cases) {
    const LoggerCommand command = Parse(c.arguments + QStringList{QStringLiteral("--mqtt-user"),
                                                                  QStringLiteral("station")},
                                        "secret");
    ASSERT_TRUE(std::holds_alternative<LoggerOptions>(command)) << c.arguments.join(u' ').toStdString();
    const MqttSettings& mqtt = *std::get<LoggerOptions>(command).mqtt;
    EXPECT_EQ(mqtt.host, c.host);
    EXPECT_EQ(mqtt.port, c.port);
    EXPECT_EQ(mqtt.tls, c.tls);
    EXPECT_EQ(mqtt.user, "station");
    EXPECT_EQ(mqtt.password, "secret");
    EXPECT_EQ(mqtt.StateTopic(), "kelvra/anemometer/state");
  }
}

TEST(DatedFileName, TheRecordsDateInThePattern) {
  const SystemTime date{2027, 1, 2, 5, 23, 59, 59, 0};
  const std::pair<const char*, const char*> cases[] = {
      {"wind-%Y-%m-%d.csv", "wind-2027-01-05.csv"},
      {"/var/log/%Y/%m/wind.csv", "/var/log/2027/01/wind.csv"},
      {"plain.csv", "plain.csv"},
      {"100%%-%d.csv", "100%-05.csv"},
      {"odd%q%", "odd%q%"},
  };
  for (const auto& [pattern, name] : cases) {
    EXPECT_EQ(DatedFileName(QString::fromUtf8(pattern), date).toStdString(), name) << pattern;
  }
}

TEST(StateJson, FieldsTimeWithOffsetAndNothingNonFinite) {
  struct Case {
    const char* zone;  // POSIX TZ rules, so no time-zone database is needed
    SystemTime time;
    const char* iso;
  };
  const Case cases[] = {
      {"UTC0", {2026, 12, 1, 7, 11, 45, 3, 0}, "2026-12-07T11:45:03+00:00"},
      {"CET-1CEST,M3.5.0,M10.5.0/3", {2026, 12, 1, 7, 11, 45, 3, 0}, "2026-12-07T11:45:03+01:00"},
      {"CET-1CEST,M3.5.0,M10.5.0/3", {2026, 7, 1, 7, 0, 0, 0, 0}, "2026-07-07T00:00:00+02:00"},
      {"NST3:30", {2026, 1, 1, 2, 8, 9, 10, 0}, "2026-01-02T08:09:10-03:30"},
  };
  const char* const saved = std::getenv("TZ");
  const std::string savedZone = saved ? saved : "";
  for (const Case& c : cases) {
    setenv("TZ", c.zone, 1);
    tzset();
    MeasurementRecord record;
    record.Time = c.time;
    record.AvgSpeed = 3.2f;
    record.GustSpeed = std::numeric_limits<float>::infinity();
    record.Temperature = -4.5f;
    record.WindChillAvg = std::nanf("");
    record.Sector = 3;
    record.BeaufortAvg = 2;
    const QJsonObject state = QJsonDocument::fromJson(StateJson(record)).object();
    EXPECT_EQ(state[QLatin1String("time")].toString().toStdString(), c.iso) << c.zone;
    EXPECT_EQ(state[QLatin1String("wind_speed")].toDouble(), 3.2) << "the float's own digits";
    EXPECT_EQ(state[QLatin1String("wind_direction")].toString(), QStringLiteral("ENE"));
    EXPECT_EQ(state[QLatin1String("wind_direction_deg")].toDouble(), 67.5);
    EXPECT_EQ(state[QLatin1String("temperature")].toDouble(), -4.5);
    EXPECT_FALSE(state.contains(QLatin1String("wind_gust")));
    EXPECT_FALSE(state.contains(QLatin1String("wind_chill")));
    EXPECT_EQ(state.size(), 8) << StateJson(record).toStdString();
  }
  if (saved) setenv("TZ", savedZone.c_str(), 1); else unsetenv("TZ");
  tzset();

  MeasurementRecord calm;
  calm.Sector = 16;
  const QJsonObject state = QJsonDocument::fromJson(StateJson(calm)).object();
  EXPECT_EQ(state[QLatin1String("wind_direction")].toString(), QStringLiteral("--"));
  EXPECT_FALSE(state.contains(QLatin1String("wind_direction_deg"))) << "no angle without a direction";
}

}  // namespace
