#include "logger/logger_options.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "logger/secrets.h"

namespace {

constexpr double kLongestInterval = 3600.0;

struct HostAndPort {
  QString host;
  int port = 0;  // 0: not given
  bool valid = false;
};

// HOST, HOST:PORT, [IPv6] or [IPv6]:PORT; a bare IPv6 address has more than one colon.
HostAndPort SplitHostAndPort(const QString& text) {
  HostAndPort result;
  QString portText;
  if (text.startsWith(u'[')) {
    const qsizetype close = text.indexOf(u']');
    if (close < 0) return result;
    result.host = text.mid(1, close - 1);
    const QString rest = text.mid(close + 1);
    if (!rest.isEmpty()) {
      if (!rest.startsWith(u':')) return result;
      portText = rest.mid(1);
      if (portText.isEmpty()) return result;
    }
  } else if (text.count(u':') == 1) {
    result.host = text.section(u':', 0, 0);
    portText = text.section(u':', 1);
    if (portText.isEmpty()) return result;
  } else {
    result.host = text;
  }
  if (!portText.isEmpty()) {
    bool number = false;
    result.port = portText.toInt(&number);
    if (!number || result.port < 1 || result.port > 65535) return result;
  }
  result.valid = !result.host.isEmpty();
  return result;
}

}  // namespace

LoggerCommand ParseLoggerOptions(const QStringList& arguments, const char* passwordVariable,
                                 const char* credentialsDirectory, InfluxSecrets influxSecrets,
                                 const char* httpPassword) {
  ProgramCommandLine commandLine(
      QStringLiteral("kelvra-anemometer-logger"),
      QStringLiteral("Logs the Kelvra USB anemometer without a window: every record into a CSV "
                     "file\nand/or to an MQTT broker. SIGINT or SIGTERM ends it cleanly; SIGHUP "
                     "opens\nthe log file again (log rotation)."),
      QStringLiteral("Reads anemometer.cal and anemometer.ini from this folder instead of "
                     "where the window reads them."));
  const QCommandLineOption log(
      QStringLiteral("log"),
      QStringLiteral("Appends every record to this CSV file; %Y, %m and %d start a new file "
                     "when the date changes (e.g. wind-%Y-%m-%d.csv)."),
      QStringLiteral("PATTERN"));
  const QCommandLineOption logFormat(
      QStringLiteral("log-format"),
      QStringLiteral("live: the window's live log (the default); iso: UTF-8, field names as in "
                     "the MQTT state, ISO 8601 times, for spreadsheets and other tools."),
      QStringLiteral("FORMAT"), QStringLiteral("live"));
  const QCommandLineOption simulate(QStringLiteral("simulate"),
                                    QStringLiteral("Uses the simulated anemometer."));
  const QCommandLineOption interval(
      QStringLiteral("interval"),
      QStringLiteral("The simulated anemometer's report interval (default 5)."),
      QStringLiteral("SECONDS"), QStringLiteral("5"));
  const QCommandLineOption mqtt(QStringLiteral("mqtt"),
                                QStringLiteral("Publishes every record to this MQTT broker "
                                               "(port %1, %2 with --mqtt-tls).")
                                    .arg(kDefaultMqttPort)
                                    .arg(kDefaultMqttTlsPort),
                                QStringLiteral("HOST[:PORT]"));
  const QString defaultTopicPrefix = QString::fromLatin1(kDefaultTopicPrefix);
  const QCommandLineOption topic(
      QStringLiteral("topic"), QStringLiteral("Topic prefix (default %1).").arg(defaultTopicPrefix),
      QStringLiteral("PREFIX"), defaultTopicPrefix);
  const QCommandLineOption homeAssistant(
      QStringLiteral("homeassistant"),
      QStringLiteral("Also publishes Home Assistant MQTT discovery configurations."));
  const QCommandLineOption removeHomeAssistant(
      QStringLiteral("homeassistant-remove"),
      QStringLiteral("Publishes empty Home Assistant discovery configurations for this topic "
                     "prefix, which removes its sensors, and ends."));
  const QCommandLineOption user(
      QStringLiteral("mqtt-user"),
      QStringLiteral("User name at the broker; the password is read from --mqtt-password-file, "
                     "the systemd credential mqtt-password or the environment variable "
                     "KELVRA_MQTT_PASSWORD."),
      QStringLiteral("NAME"));
  const QCommandLineOption passwordFile(
      QStringLiteral("mqtt-password-file"),
      QStringLiteral("Reads the broker password from the first line of this file."),
      QStringLiteral("FILE"));
  const QCommandLineOption tls(QStringLiteral("mqtt-tls"),
                               QStringLiteral("Connects with TLS, trusting the system's "
                                              "certificate store."));
  const QCommandLineOption caFile(QStringLiteral("mqtt-cafile"),
                                  QStringLiteral("Connects with TLS, trusting this CA "
                                                 "certificate (a private CA)."),
                                  QStringLiteral("FILE"));
  const QCommandLineOption station(
      QStringLiteral("station"),
      QStringLiteral("The station's name in the archive (default: the last part of the topic "
                     "prefix with --mqtt, else \"default\")."),
      QStringLiteral("NAME"));
  const QCommandLineOption influx(
      QStringLiteral("influx"),
      QStringLiteral("Writes every record to InfluxDB or VictoriaMetrics: "
                     "http://HOST:8086/write?db=NAME (1.x) or "
                     "http://HOST:8086/api/v2/write?org=ORG&bucket=BUCKET (2.x, the token from "
                     "KELVRA_INFLUX_TOKEN)."),
      QStringLiteral("URL"));
  const QCommandLineOption influxUser(
      QStringLiteral("influx-user"),
      QStringLiteral("User name at InfluxDB 1.x; the password is read from the environment "
                     "variable KELVRA_INFLUX_PASSWORD."),
      QStringLiteral("NAME"));
  const QCommandLineOption http(
      QStringLiteral("http"),
      QStringLiteral("Serves a live web page, a JSON API and Prometheus metrics on this port, "
                     "read-only (address 127.0.0.1 by default; 0.0.0.0:8080 to share it)."),
      QStringLiteral("[ADDRESS:]PORT"));
  const QCommandLineOption httpUser(
      QStringLiteral("http-user"),
      QStringLiteral("Asks every web client for this user name and the password from the "
                     "environment variable KELVRA_HTTP_PASSWORD (HTTP basic authentication; "
                     "use it with --http-cert off this computer)."),
      QStringLiteral("NAME"));
  const QCommandLineOption httpCert(
      QStringLiteral("http-cert"),
      QStringLiteral("Serves HTTPS only, with this PEM certificate (chain) and --http-key."),
      QStringLiteral("FILE"));
  const QCommandLineOption httpKey(
      QStringLiteral("http-key"),
      QStringLiteral("The PEM private key of --http-cert, not encrypted."), QStringLiteral("FILE"));
  const QCommandLineOption verbose(QStringLiteral("verbose"),
                                   QStringLiteral("Also prints one line per record."));
  commandLine.AddOptions({log,      logFormat,    simulate,      interval,
                          mqtt,     topic,        homeAssistant, removeHomeAssistant,
                          user,     passwordFile, tls,           caFile,
                          station,  influx,       influxUser,    http,
                          httpUser, httpCert,     httpKey,       verbose});
  commandLine.AddArchiveOptions(QStringLiteral("in the user's data folder"));
  if (std::optional<ProgramExit> end = commandLine.Parse(arguments)) return *end;
  const QCommandLineParser& parser = commandLine.Parser();
  const auto Usage = [&commandLine](const QString& text) { return commandLine.UsageError(text); };

  LoggerOptions options;
  options.logPattern = parser.value(log);
  options.simulate = parser.isSet(simulate);
  options.configDir = commandLine.ConfigDir();
  options.verbose = parser.isSet(verbose);
  options.archive = commandLine.Archive();
  if (parser.isSet(log) && options.logPattern.isEmpty()) {
    return Usage(QStringLiteral("--log needs a file name."));
  }
  if (parser.value(logFormat) == QStringLiteral("iso")) {
    options.logFormat = LogFormat::Iso;
  } else if (parser.value(logFormat) != QStringLiteral("live")) {
    return Usage(
        QStringLiteral("Bad log format '%1': give live or iso.").arg(parser.value(logFormat)));
  }
  if (parser.isSet(logFormat) && !parser.isSet(log)) {
    return Usage(QStringLiteral("--log-format needs --log PATTERN."));
  }
  bool number = false;
  const double seconds = parser.value(interval).toDouble(&number);
  if (!number || !std::isfinite(seconds) || seconds < 0.01 || seconds > kLongestInterval) {
    return Usage(QStringLiteral("Bad interval '%1': give seconds from 0.01 to 3600.")
                     .arg(parser.value(interval)));
  }
  options.interval = std::chrono::milliseconds(std::lround(seconds * 1000.0));

  const bool mqttDetails = parser.isSet(topic) || parser.isSet(homeAssistant) ||
                           parser.isSet(removeHomeAssistant) || parser.isSet(user) ||
                           parser.isSet(passwordFile) || parser.isSet(tls) || parser.isSet(caFile);
  if (parser.isSet(mqtt)) {
    const HostAndPort address = SplitHostAndPort(parser.value(mqtt));
    if (!address.valid) {
      return Usage(QStringLiteral("Bad broker address '%1': give HOST or HOST:PORT with a port "
                                  "from 1 to 65535.")
                       .arg(parser.value(mqtt)));
    }
    MqttSettings settings;
    settings.host = address.host.toStdString();
    settings.tls = parser.isSet(tls) || parser.isSet(caFile);
    settings.caFile = parser.value(caFile).toStdString();
    settings.port =
        address.port != 0 ? address.port : (settings.tls ? kDefaultMqttTlsPort : kDefaultMqttPort);
    const QString prefix = parser.value(topic);
    // Topics are UTF-8 without NUL; what the terminal's encoding could not decode shows as the
    // replacement character. A leading $ names the broker's own topics ($SYS).
    if (prefix.isEmpty() || prefix.contains(u'#') || prefix.contains(u'+') ||
        prefix.endsWith(u'/') || prefix.startsWith(u'$') ||
        prefix.contains(QChar::ReplacementCharacter) || prefix.contains(QChar::Null)) {
      return Usage(QStringLiteral("Bad topic prefix '%1': valid UTF-8, no wildcards, no $ at the "
                                  "start, no slash at the end.")
                       .arg(prefix));
    }
    settings.topicPrefix = prefix.toStdString();
    settings.homeAssistant = parser.isSet(homeAssistant);
    settings.removeHomeAssistant = parser.isSet(removeHomeAssistant);
    if (settings.removeHomeAssistant &&
        (settings.homeAssistant || !options.logPattern.isEmpty() || options.simulate)) {
      return Usage(QStringLiteral(
          "--homeassistant-remove only removes the sensors: no --homeassistant, --log or "
          "--simulate with it."));
    }
    settings.silence = std::max(3 * options.interval, kShortestSilence);
    settings.user = parser.value(user).toStdString();
    const std::filesystem::path credential =
        credentialsDirectory != nullptr && *credentialsDirectory != '\0'
            ? std::filesystem::path(credentialsDirectory) / kPasswordCredential
            : std::filesystem::path();
    std::error_code ignored;
    if (parser.isSet(passwordFile)) {
      const QString file = parser.value(passwordFile);
      settings.password = ReadSecretFile(QFile::encodeName(file).toStdString());
      if (!settings.password) {
        return Usage(QStringLiteral("Cannot read the password file '%1'.").arg(file));
      }
    } else if (!credential.empty() && std::filesystem::exists(credential, ignored)) {
      settings.password = ReadSecretFile(credential);
      if (!settings.password) {
        return Usage(QStringLiteral("Cannot read the credential '%1'.")
                         .arg(QString::fromStdString(credential.string())));
      }
    } else if (passwordVariable != nullptr) {
      settings.password = std::string(passwordVariable);
    }
    options.mqtt = settings;
  } else if (mqttDetails) {
    return Usage(QStringLiteral("The MQTT options need --mqtt HOST."));
  }
  if (parser.isSet(station)) {
    const QString name = parser.value(station);
    if (name.trimmed().isEmpty() || std::any_of(name.begin(), name.end(), [](QChar c) {
          return c.category() == QChar::Other_Control || c == QChar::ReplacementCharacter;
        })) {
      return Usage(
          QStringLiteral("Bad station name '%1': give a name of printable characters.").arg(name));
    }
    options.station = name.toStdString();
  } else if (options.mqtt) {
    const std::string& prefix = options.mqtt->topicPrefix;
    options.station = prefix.substr(prefix.rfind('/') + 1);
  }
  if (parser.isSet(influx)) {
    auto target = ParseInfluxTarget(parser.value(influx).toStdString(),
                                    parser.value(influxUser).toStdString(), influxSecrets.password,
                                    influxSecrets.token);
    if (const auto* error = std::get_if<std::string>(&target)) {
      return Usage(QString::fromStdString(*error));
    }
    // The records go out from the archive, so that none is lost while the server is away.
    if (!options.archive.keep) {
      return Usage(QStringLiteral("--influx sends the archived records: not with --no-archive."));
    }
    options.influx = std::get<InfluxTarget>(std::move(target));
  } else if (parser.isSet(influxUser)) {
    return Usage(QStringLiteral("--influx-user needs --influx URL."));
  }
  if (parser.isSet(http)) {
    options.http = ParseHttpAddress(parser.value(http).toStdString());
    if (!options.http) {
      return Usage(QStringLiteral("Bad web address '%1': give PORT, ADDRESS:PORT or [IPv6]:PORT "
                                  "with a numeric address and a port from 1 to 65535.")
                       .arg(parser.value(http)));
    }
  }
  if (parser.isSet(http)) {
    WebAccess& access = options.webAccess;
    if (parser.isSet(httpUser)) {
      const QString name = parser.value(httpUser);
      // Basic authentication sends "user:password": a colon would end the name early.
      if (name.isEmpty() || name.contains(u':') ||
          std::any_of(name.begin(), name.end(), [](QChar c) {
            return c.category() == QChar::Other_Control || c == QChar::ReplacementCharacter;
          })) {
        return Usage(
            QStringLiteral("Bad web user name '%1': printable characters, no colon.").arg(name));
      }
      if (httpPassword == nullptr || *httpPassword == '\0') {
        return Usage(
            QStringLiteral("--http-user needs the password in the environment variable "
                           "KELVRA_HTTP_PASSWORD."));
      }
      access.user = name.toStdString();
      access.password = httpPassword;
    } else if (httpPassword != nullptr) {
      // A password that protects nothing would leave the page open while seeming closed.
      return Usage(
          QStringLiteral("KELVRA_HTTP_PASSWORD is set but --http-user is not: give the "
                         "user name too."));
    }
    if (parser.isSet(httpCert) != parser.isSet(httpKey)) {
      return Usage(QStringLiteral("HTTPS needs both --http-cert FILE and --http-key FILE."));
    }
    access.certificateFile = parser.value(httpCert);
    access.keyFile = parser.value(httpKey);
    if (parser.isSet(httpCert) && (access.certificateFile.isEmpty() || access.keyFile.isEmpty())) {
      return Usage(QStringLiteral("--http-cert and --http-key need file names."));
    }
  } else if (parser.isSet(httpUser) || parser.isSet(httpCert) || parser.isSet(httpKey)) {
    return Usage(QStringLiteral("The web server's options need --http [ADDRESS:]PORT."));
  }
  if (options.logPattern.isEmpty() && !options.mqtt && !options.archive.keep && !options.http) {
    return Usage(
        QStringLiteral("Nothing to do: give --log PATTERN, --mqtt HOST, --http PORT, or keep the "
                       "archive."));
  }
  return options;
}
