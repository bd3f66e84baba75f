// The logger's command line, file names and state messages, without a broker or a device.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <set>

#include "core/direction_sector.h"
#include "files/live_log.h"
#include "logger/dated_log.h"
#include "logger/iso_log_format.h"
#include "logger/logger_options.h"
#include "logger/record_json.h"
#include "tests/logger/logger_test_support.h"

namespace {

LoggerCommand Parse(const char* arguments, const char* password = nullptr,
                    const char* httpPassword = nullptr) {
  return ParseLoggerOptions(
      QStringLiteral("logger %1").arg(QString::fromUtf8(arguments)).split(u' '), password, nullptr,
      {}, httpPassword);
}

TEST(LoggerOptions, RefusesWhatItCannotUse) {
  for (const char* arguments : {"--bogus",
                                "-bogus",
                                "-platform offscreen",
                                "--simulate --no-archive",
                                "--simulate --archive a.sqlite --no-archive",
                                "--simulate --archive=",
                                "--simulate --station=",
                                "--log=",
                                "--log a.csv extra",
                                "--log a.csv --interval 0",
                                "--log a.csv --interval nan",
                                "--log a.csv --homeassistant",
                                "--mqtt host:0",
                                "--mqtt host:x",
                                "--mqtt host:",
                                "--mqtt [::1",
                                "--mqtt=",
                                "--mqtt h --topic a/#",
                                "--mqtt h --topic a/",
                                "--log a.csv --log-format csv",
                                "--mqtt h --log-format iso",
                                "--homeassistant-remove",
                                "--mqtt h --homeassistant --homeassistant-remove",
                                "--mqtt h --homeassistant-remove --log a.csv",
                                "--log a.csv --mqtt-password-file p",
                                "--log a.csv --influx-user u",
                                "--log a.csv --influx http://h/query?db=w",
                                "--log a.csv --no-archive --influx http://h/write?db=w",
                                "--simulate --http 0",
                                "--simulate --http 65536",
                                "--simulate --http localhost:8080",
                                "--simulate --http 10.0.0.1:",
                                "--simulate --http ::1:8080",
                                "--simulate --http [::1]8080",
                                "--simulate --http 8080x",
                                "--simulate --http-user u",
                                "--simulate --http-cert c.pem --http-key k.pem",
                                "--simulate --http 8080 --http-user u",
                                "--simulate --http 8080 --http-cert c.pem",
                                "--simulate --http 8080 --http-key k.pem",
                                "--simulate --http 8080 --http-cert= --http-key k.pem"}) {
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

TEST(LoggerOptions, WebAddress) {
  const struct {
    const char* arguments;
    const char* host;
    int port;
    bool ipv6;
  } cases[] = {
      {"--simulate --http 8080", "127.0.0.1", 8080, false},
      {"--simulate --http 0.0.0.0:8081", "0.0.0.0", 8081, false},
      {"--simulate --http=[::1]:8082", "::1", 8082, true},
      {"--simulate --no-archive --http 8083", "127.0.0.1", 8083, false},  // the page alone
  };
  for (const auto& c : cases) {
    const LoggerCommand command = Parse(c.arguments);
    ASSERT_TRUE(std::holds_alternative<LoggerOptions>(command)) << c.arguments;
    const std::optional<HttpAddress>& http = std::get<LoggerOptions>(command).http;
    ASSERT_TRUE(http.has_value()) << c.arguments;
    EXPECT_EQ(http->host, c.host);
    EXPECT_EQ(http->port, c.port);
    EXPECT_EQ(http->ipv6, c.ipv6);
  }
  EXPECT_FALSE(std::get<LoggerOptions>(Parse("--simulate")).http.has_value());
}

TEST(LoggerOptions, WebLoginAndCertificate) {
  const struct {
    const char* arguments;
    const char* password;  // KELVRA_HTTP_PASSWORD
    const char* user;      // null: refused
  } cases[] = {
      {"--http 8080 --http-user station", "secret", "station"},
      {"--http 8080 --http-user station --http-cert c.pem --http-key k.pem", "secret", "station"},
      {"--http 8080 --http-cert c.pem --http-key k.pem", nullptr, ""},
      {"--http 8080", nullptr, ""},
      {"--http 8080 --http-user station", "", nullptr},
      {"--http 8080 --http-user sta:tion", "secret", nullptr},
      // A password alone would seem to close the page and not do it.
      {"--http 8080", "secret", nullptr},
  };
  for (const auto& c : cases) {
    const LoggerCommand command =
        Parse((std::string("--simulate ") + c.arguments).c_str(), nullptr, c.password);
    if (c.user == nullptr) {
      const auto* refused = std::get_if<ProgramExit>(&command);
      EXPECT_TRUE(refused != nullptr && refused->status == kExitUsage) << c.arguments;
      continue;
    }
    ASSERT_TRUE(std::holds_alternative<LoggerOptions>(command)) << c.arguments;
    const WebAccess& access = std::get<LoggerOptions>(command).webAccess;
    EXPECT_EQ(access.user, c.user);
    EXPECT_EQ(access.password, *c.user != '\0' ? c.password : "") << c.arguments;
    const bool tls = std::string(c.arguments).find("--http-cert") != std::string::npos;
    EXPECT_EQ(access.certificateFile, tls ? QStringLiteral("c.pem") : QString());
    EXPECT_EQ(access.keyFile, tls ? QStringLiteral("k.pem") : QString());
  }
}

TEST(LoggerOptions, LogFormat) {
  for (const auto& [arguments, format] : {std::pair{"--log a.csv", LogFormat::Live},
                                          {"--log a.csv --log-format live", LogFormat::Live},
                                          {"--log a.csv --log-format=iso", LogFormat::Iso}}) {
    const LoggerCommand command = Parse(arguments);
    ASSERT_TRUE(std::holds_alternative<LoggerOptions>(command)) << arguments;
    EXPECT_EQ(std::get<LoggerOptions>(command).logFormat, format) << arguments;
  }
}

TEST(LoggerOptions, ArchiveAndStation) {
  const struct {
    const char* arguments;
    bool keep;
    const char* file;  // relative to the current folder; "" for the default place
    const char* station;
  } cases[] = {
      {"--simulate", true, "", "default"},
      {"--simulate --no-archive --log a.csv", false, "", "default"},
      {"--simulate --archive wind.sqlite", true, "wind.sqlite", "default"},
      {"--mqtt h --topic home/roof", true, "", "roof"},
      {"--mqtt h --topic home/roof --station mast", true, "", "mast"},
  };
  for (const auto& c : cases) {
    const LoggerCommand command = Parse(c.arguments);
    ASSERT_TRUE(std::holds_alternative<LoggerOptions>(command)) << c.arguments;
    const LoggerOptions& options = std::get<LoggerOptions>(command);
    EXPECT_EQ(options.archive.keep, c.keep) << c.arguments;
    EXPECT_EQ(
        options.archive.file,
        *c.file != '\0' ? QDir::current().absoluteFilePath(QString::fromUtf8(c.file)) : QString())
        << c.arguments;
    EXPECT_EQ(options.station, c.station) << c.arguments;
  }
}

TEST(HomeAssistantNodeId, EveryPrefixItsOwnIdOfAllowedCharacters) {
  EXPECT_EQ(HomeAssistantNodeId("kelvra/anemometer"), "kelvra_anemometer");
  const char* const prefixes[] = {"a/b",  "a_b",  "a-b",  "a--b",  "a/-b", "a-/b",
                                  "a//b", "a/_b", "a_/b", "a-2fb", "a.b",  "stanice \u017e"};
  std::set<std::string> ids;
  for (const char* prefix : prefixes) {
    const std::string id = HomeAssistantNodeId(prefix);
    ids.insert(id);
    EXPECT_TRUE(std::all_of(id.begin(), id.end(), [](char c) {
      return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
             c == '_' || c == '-';
    })) << id;
  }
  EXPECT_EQ(ids.size(), std::size(prefixes));
}

TEST(HomeAssistantDiscovery, SensorClassesExpiryAndRemovalOfTheSameTopics) {
  for (const auto& [arguments, expireAfter] : {std::pair{"--mqtt h", 30},
                                               {"--mqtt h --interval 20", 60},
                                               {"--mqtt h --interval 10.1", 31}}) {
    SCOPED_TRACE(arguments);
    const LoggerCommand command = Parse(arguments);
    ASSERT_TRUE(std::holds_alternative<LoggerOptions>(command));
    const MqttSettings& mqtt = *std::get<LoggerOptions>(command).mqtt;
    const std::vector<RetainedMessage> configs = HomeAssistantDiscovery(mqtt);
    const std::vector<RetainedMessage> removal = HomeAssistantRemoval(mqtt);
    ASSERT_EQ(configs.size(), removal.size());
    for (std::size_t i = 0; i < configs.size(); ++i) {
      EXPECT_EQ(removal[i].topic, configs[i].topic);
      EXPECT_TRUE(removal[i].payload.isEmpty());
      const QJsonObject config = QJsonDocument::fromJson(configs[i].payload).object();
      EXPECT_EQ(config[QLatin1String("expire_after")].toInt(), expireAfter);
      EXPECT_EQ(config[QLatin1String("origin")][QLatin1String("name")].toString(),
                QStringLiteral("kelvra-anemometer-logger"));
      const QString key = config[QLatin1String("unique_id")].toString().mid(18);
      if (key == QStringLiteral("wind_direction_deg")) {
        EXPECT_EQ(config[QLatin1String("device_class")].toString(),
                  QStringLiteral("wind_direction"));
        EXPECT_EQ(config[QLatin1String("state_class")].toString(),
                  QStringLiteral("measurement_angle"));
      } else if (key == QStringLiteral("wind_direction")) {
        EXPECT_EQ(config[QLatin1String("device_class")].toString(), QStringLiteral("enum"));
        const QJsonArray options = config[QLatin1String("options")].toArray();
        ASSERT_EQ(options.size(), 16);
        EXPECT_EQ(options[0].toString() + options[3].toString() + options[15].toString(),
                  QStringLiteral("NENENNW"));
        EXPECT_FALSE(config.contains(QLatin1String("state_class")));
      }
    }
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

// What Python's csv module makes of the ISO log: the field names and, per row, the values as
// numbers (None for an empty field), the direction as text and the time's offset in seconds.
constexpr char kPythonReader[] = R"(
import csv, datetime, json, sys
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    reader = csv.DictReader(f)
    rows = []
    for row in reader:
        out = {}
        for key, value in row.items():
            if key == 'time':
                out['offset'] = datetime.datetime.fromisoformat(value).utcoffset().total_seconds()
            elif key == 'wind_direction':
                out[key] = value or None
            else:
                out[key] = float(value) if value else None
        rows.append(out)
print(json.dumps({'fields': reader.fieldnames, 'rows': rows}))
)";

TEST(IsoLog, PythonsCsvAndSqliteReadItBackWithTheirDefaults) {
  MeasurementRecord winter;
  winter.Time = {2026, 12, 1, 7, 11, 45, 3, 0};
  winter.AvgSpeed = 3.2f;
  winter.GustSpeed = INFINITY;
  winter.Sector = 3;
  winter.Temperature = -4.5f;
  winter.WindChillAvg = NAN;
  winter.WindChillGust = -7.25f;
  winter.BeaufortAvg = 2;
  winter.BeaufortGust = 3;
  MeasurementRecord summer = winter;
  summer.Time = {2026, 7, 1, 7, 0, 0, 0, 0};
  summer.AvgSpeed = 0.1f;
  summer.GustSpeed = 12345.678f;
  summer.Sector = kNoDirection;
  summer.Temperature = 30;
  summer.WindChillAvg = 1e-5f;

  const QByteArray savedZone = qgetenv("TZ");
  qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
  tzset();
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("wind.csv"));
  std::mutex dataLock;
  LiveLog log(dataLock);
  log.SetLineFormat(kIsoLogFormat);
  ASSERT_EQ(log.Open(file.toStdString(), "wind.csv"), FileOutcome::Ok);
  ASSERT_EQ(log.WriteRow(winter), FileOutcome::Ok);
  ASSERT_EQ(log.WriteRow(summer), FileOutcome::Ok);
  log.Close();
  savedZone.isNull() ? qunsetenv("TZ") : qputenv("TZ", savedZone);
  tzset();
  QFile bytes(file);
  ASSERT_TRUE(bytes.open(QIODevice::ReadOnly));
  const QByteArray text = bytes.readAll();
  EXPECT_TRUE(text.endsWith("\n") && !text.contains('\r') && text.count('\n') == 3) << text.data();

  Program python(DEBIAN_PYTHON3, {QStringLiteral("-c"), QString::fromUtf8(kPythonReader), file});
  ASSERT_EQ(python.Finish(), 0) << python.Errors().toStdString();
  const QJsonObject read = QJsonDocument::fromJson(python.Output().toUtf8()).object();
  // The header names the fields of the MQTT state.
  QStringList stateKeys = QJsonDocument::fromJson(StateJson(winter)).object().keys();
  stateKeys << QStringLiteral("wind_gust") << QStringLiteral("wind_chill");
  stateKeys.sort();
  QStringList fields = read[QLatin1String("fields")].toVariant().toStringList();
  fields.sort();
  EXPECT_EQ(fields, stateKeys);
  const QJsonArray rows = read[QLatin1String("rows")].toArray();
  ASSERT_EQ(rows.size(), 2) << python.Output().toStdString();
  const QJsonObject w = rows[0].toObject(), s = rows[1].toObject();
  EXPECT_EQ(w[QLatin1String("offset")].toDouble(), 3600);
  EXPECT_EQ(s[QLatin1String("offset")].toDouble(), 7200);
  EXPECT_EQ(w[QLatin1String("wind_speed")].toDouble(), 3.2) << "the float's shortest digits";
  EXPECT_TRUE(w[QLatin1String("wind_gust")].isNull() && w[QLatin1String("wind_chill")].isNull());
  EXPECT_EQ(w[QLatin1String("wind_direction")].toString(), QStringLiteral("ENE"));
  EXPECT_EQ(w[QLatin1String("wind_direction_deg")].toDouble(), 67.5);
  EXPECT_EQ(w[QLatin1String("temperature")].toDouble(), -4.5);
  EXPECT_EQ(w[QLatin1String("wind_chill_gust")].toDouble(), -7.25);
  EXPECT_EQ(w[QLatin1String("beaufort_gust")].toDouble(), 3);
  EXPECT_EQ(static_cast<float>(s[QLatin1String("wind_gust")].toDouble()), 12345.678f);
  EXPECT_EQ(static_cast<float>(s[QLatin1String("wind_chill")].toDouble()), 1e-5f);
  EXPECT_TRUE(s[QLatin1String("wind_direction")].isNull() &&
              s[QLatin1String("wind_direction_deg")].isNull());

  // SQLite's .import takes the header as the column names.
  Program sqlite(SQLITE3,
                 {QStringLiteral(":memory:"), QStringLiteral(".import --csv %1 t").arg(file),
                  QStringLiteral("SELECT group_concat(name) FROM pragma_table_info('t')"),
                  QStringLiteral("SELECT time, wind_direction, wind_gust = '', "
                                 "sum(temperature) OVER () FROM t")});
  ASSERT_EQ(sqlite.Finish(), 0) << sqlite.Errors().toStdString();
  EXPECT_EQ(sqlite.Output().toStdString(), IsoLogHeaderLine() +
                                               "2026-12-07T11:45:03+01:00|ENE|1|25.5\n"
                                               "2026-07-07T00:00:00+02:00||0|25.5\n");
}

}  // namespace
