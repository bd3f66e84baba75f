// The logger program against a real broker: what it publishes and logs, and how it behaves when
// the broker goes away and when it is told to stop.
#include <gtest/gtest.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <cmath>
#include <set>

#include "tests/logger/logger_test_support.h"

namespace {

const std::string kState = "kelvra/test/state";
const std::string kAvailability = "kelvra/test/availability";

QJsonObject Json(const std::string& payload) {
  return QJsonDocument::fromJson(QByteArray::fromStdString(payload)).object();
}

// The CSV row's fields against the state's, one by one.
bool StateMatchesRow(const QJsonObject& state, const QString& row) {
  const QStringList f = row.split(u',');
  static const QRegularExpression iso(
      QStringLiteral(R"(^(\d{4})-(\d\d)-(\d\d)T(\d\d:\d\d:\d\d)[+-]\d\d:\d\d$)"));
  const auto m = iso.match(state[QLatin1String("time")].toString());
  if (f.size() != 9 || !m.hasMatch() ||
      f[0].trimmed() != QStringLiteral("%1.%2 %3 %4")
                            .arg(m.captured(3).toInt())
                            .arg(m.captured(2).toInt())
                            .arg(m.captured(1), m.captured(4))) {
    return false;
  }
  const char* const keys[] = {"wind_speed",      "wind_gust", "temperature",  "wind_chill",
                              "wind_chill_gust", "beaufort",  "beaufort_gust"};
  for (int i = 0; i < 7; ++i) {
    // The CSV rounds the float to six decimals, the JSON carries its shortest decimal form.
    const double csv = f[i + 1].toDouble(), json = state[QLatin1String(keys[i])].toDouble(NAN);
    if (!(std::fabs(json - csv) <= 1e-6 + 1.2e-7 * std::fabs(csv))) return false;
  }
  return state[QLatin1String("wind_direction")].toString() == f[8].trimmed();
}

QStringList LogRows(const QTemporaryDir& dir, bool* lastLineWhole = nullptr) {
  QStringList rows;
  for (const QString& name : QDir(dir.path()).entryList({QStringLiteral("wind-*.csv")})) {
    QFile file(dir.filePath(name));
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    if (lastLineWhole) *lastLineWhole = bytes.endsWith("\r\n");
    for (const QByteArray& line : bytes.split('\n')) {
      if (!line.isEmpty() && line[0] != '"') rows << QString::fromLatin1(line.trimmed());
    }
  }
  return rows;
}

Program Logger(const QTemporaryDir& dir, int port, const QString& more) {
  return Program(LOGGER_PROGRAM,
                 QStringList{QStringLiteral("--simulate"), QStringLiteral("--interval=0.1"),
                             QStringLiteral("--mqtt=127.0.0.1:%1").arg(port),
                             QStringLiteral("--topic=kelvra/test"), QStringLiteral("--config-dir"),
                             dir.path(), QStringLiteral("--log"),
                             dir.filePath(QStringLiteral("wind-%Y-%m-%d.csv")), more});
}

TEST(LoggerWithBroker, PublishesTheLoggedRowsAndDiscoveryAndGoesOfflineOnSigterm) {
  TestBroker broker;
  ASSERT_TRUE(broker.Start());
  QTemporaryDir dir;
  Subscriber subscriber(broker.Port(), QStringLiteral("kelvra/test/#"));
  Program logger = Logger(dir, broker.Port(), QStringLiteral("--homeassistant"));
  ASSERT_TRUE(WaitUntil([&] { return subscriber.Messages(kState).size() >= 8; }));
  EXPECT_EQ(logger.Terminate(), 0) << logger.Errors().toStdString();
  // Offline at connect when no record has come yet, online with the first record, offline at
  // the end.
  // The same state said twice in a row is still that state: under load "offline" was once seen
  // twice at the end.
  const auto availability = [&] {
    std::string payloads, last;
    for (const ReceivedMessage& m : subscriber.Messages(kAvailability)) {
      if (m.payload != last) payloads += m.payload + " ";
      last = m.payload;
    }
    return payloads;
  };
  ASSERT_TRUE(WaitUntil([&] { return availability().ends_with("online offline "); }))
      << availability();
  EXPECT_TRUE(availability() == "online offline " || availability() == "offline online offline ")
      << availability();

  // The states are consecutive rows of the log: those written while the broker was connected.
  bool lastLineWhole = false;
  const QStringList rows = LogRows(dir, &lastLineWhole);
  EXPECT_TRUE(lastLineWhole);
  const auto states = subscriber.Messages(kState);
  qsizetype first = 0;
  while (first < rows.size() && !StateMatchesRow(Json(states[0].payload), rows[first])) ++first;
  ASSERT_LE(first + qsizetype(states.size()), rows.size()) << states[0].payload;
  for (std::size_t i = 0; i < states.size(); ++i) {
    EXPECT_TRUE(StateMatchesRow(Json(states[i].payload), rows[first + qsizetype(i)]))
        << states[i].payload << "\n"
        << rows[first + qsizetype(i)].toStdString();
  }

  // A newcomer gets the discovery configurations and the last state, retained.
  Subscriber newcomer(broker.Port(), QStringLiteral("#"));
  ASSERT_TRUE(WaitUntil([&] { return newcomer.Messages().size() >= 11; }));
  for (const ReceivedMessage& message : newcomer.Messages()) {
    EXPECT_TRUE(message.retained) << message.topic;
    if (!message.topic.starts_with("homeassistant/sensor/kelvra_test/")) continue;
    QJsonParseError error{};
    const QJsonObject config =
        QJsonDocument::fromJson(QByteArray::fromStdString(message.payload), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << message.payload;
    const QString key =
        config[QLatin1String("value_template")].toString().section(u'.', 1).section(u' ', 0, 0);
    EXPECT_TRUE(Json(states.back().payload).contains(key)) << message.payload;
    EXPECT_TRUE(message.topic.ends_with("/" + key.toStdString() + "/config")) << message.topic;
    EXPECT_EQ(config[QLatin1String("state_topic")].toString().toStdString(), kState);
    EXPECT_EQ(config[QLatin1String("availability_topic")].toString().toStdString(), kAvailability);
    EXPECT_FALSE(config[QLatin1String("unique_id")].toString().isEmpty());
    EXPECT_TRUE(config[QLatin1String("device")].isObject());
  }
}

TEST(LoggerWithBroker, KeepsLoggingWhileTheBrokerIsAwayAndComesBackOnline) {
  TestBroker broker;  // not started: missing when the logger starts
  QTemporaryDir dir;
  Program logger = Logger(dir, broker.Port(), QStringLiteral("--verbose"));
  const auto records = [&] { return logger.Errors().count(QStringLiteral(": record ")); };
  ASSERT_TRUE(WaitUntil(
      [&] { return logger.Errors().contains(QStringLiteral("cannot reach")) && records() >= 3; }));

  for (int run = 0; run < 2; ++run) {  // at start, and after the broker restarted
    ASSERT_TRUE(broker.Start());
    Subscriber subscriber(broker.Port(), QStringLiteral("kelvra/test/#"));
    ASSERT_TRUE(WaitUntil([&] {
      const auto availability = subscriber.Messages(kAvailability);
      return !availability.empty() && availability[0].payload == "online" &&
             subscriber.Messages(kState).size() >= 3;
    })) << "online and publishing, run "
        << run << "\n"
        << logger.Errors().toStdString();
    broker.Stop();
    const qsizetype recordsAtStop = records();
    ASSERT_TRUE(WaitUntil([&] { return records() >= recordsAtStop + 5; }));
  }
  EXPECT_EQ(logger.Terminate(), 0);
  EXPECT_EQ(logger.Errors().count(QStringLiteral("lost the MQTT broker")), 2);
  EXPECT_EQ(LogRows(dir).size(), records()) << "a CSV row for every record, broker or not";
}

TEST(LoggerWithBroker, HomeAssistantRemoveClearsTheConfigurationsOfItsPrefix) {
  TestBroker broker;
  ASSERT_TRUE(broker.Start());
  QTemporaryDir dir;
  Subscriber configs(broker.Port(), QStringLiteral("homeassistant/#"));
  std::set<std::string> topics;
  {
    Program logger = Logger(dir, broker.Port(), QStringLiteral("--homeassistant"));
    ASSERT_TRUE(WaitUntil([&] { return configs.Messages().size() >= 9; }));
    EXPECT_EQ(logger.Terminate(), 0);
    for (const ReceivedMessage& m : configs.Messages()) topics.insert(m.topic);
  }
  const QString address = QStringLiteral("--mqtt=127.0.0.1:%1").arg(broker.Port());
  Program remover(LOGGER_PROGRAM, {address, QStringLiteral("--topic=kelvra/test"),
                                   QStringLiteral("--homeassistant-remove")});
  EXPECT_EQ(remover.Finish(), 0) << remover.Errors().toStdString();
  // An empty message on every topic discovery used.
  ASSERT_TRUE(WaitUntil([&] { return configs.Messages().size() >= 2 * topics.size(); }));
  std::set<std::string> emptied;
  for (const ReceivedMessage& m : configs.Messages()) {
    if (m.payload.empty()) emptied.insert(m.topic);
  }
  EXPECT_EQ(emptied, topics);

  // A newcomer gets the retained availability, then a marker published after it subscribed, and
  // no configuration before it.
  Subscriber newcomer(broker.Port(), QStringLiteral("#"));
  ASSERT_TRUE(WaitUntil([&] { return !newcomer.Messages(kAvailability).empty(); }))
      << newcomer.Output().toStdString() << newcomer.Errors().toStdString();
  Program(MOSQUITTO_PUB,
          {QStringLiteral("-p"), QString::number(broker.Port()), QStringLiteral("-t"),
           QStringLiteral("kelvra/marker"), QStringLiteral("-m"), QStringLiteral("x")})
      .Finish();
  ASSERT_TRUE(WaitUntil([&] { return !newcomer.Messages("kelvra/marker").empty(); }));
  for (const ReceivedMessage& m : newcomer.Messages()) {
    EXPECT_FALSE(m.topic.starts_with("homeassistant/")) << m.topic;
  }
}

TEST(LoggerWithBroker, APublishTheLibraryRefusesIsReportedOncePerTopic) {
  TestBroker broker;
  ASSERT_TRUE(broker.Start());
  QTemporaryDir dir;
  // The state topic fits MQTT's 65535 bytes; the discovery topics, which repeat it, do not.
  const QString prefix = QStringLiteral("kelvra/") + QString(65490, u'w');
  Program logger(LOGGER_PROGRAM,
                 {QStringLiteral("--simulate"), QStringLiteral("--interval=0.05"),
                  QStringLiteral("--mqtt=127.0.0.1:%1").arg(broker.Port()),
                  QStringLiteral("--topic=") + prefix, QStringLiteral("--homeassistant"),
                  QStringLiteral("--config-dir"), dir.path(), QStringLiteral("--log"),
                  dir.filePath(QStringLiteral("wind-%Y-%m-%d.csv"))});
  ASSERT_TRUE(WaitUntil([&] {
    return logger.Errors().contains(QStringLiteral("connected to the MQTT broker")) &&
           LogRows(dir).size() >= 10;
  })) << logger.Errors().toStdString();
  EXPECT_EQ(logger.Terminate(), 0);
  const QStringList refused =
      logger.Errors().split(u'\n').filter(QStringLiteral("refused to publish to homeassistant/"));
  EXPECT_GE(refused.size(), 7) << logger.Errors().toStdString();
  EXPECT_EQ(QSet<QString>(refused.begin(), refused.end()).size(), refused.size())
      << "each topic once";
  EXPECT_EQ(logger.Errors().count(QStringLiteral("refused to publish to kelvra/")), 0);
}

TEST(LoggerWithBroker, ABrokerThatTakesTheConnectionButNeverAnswersIsReported) {
  // A socket that listens but never accepts: the kernel completes the connection, nobody answers.
  const int silent = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(listen(silent, 8), 0);
  ASSERT_EQ(getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length), 0);
  QTemporaryDir dir;
  Program logger = Logger(dir, ntohs(address.sin_port), QStringLiteral("--verbose"));
  // Far above the 15 s the logger waits for an answer, and far below the keep-alive's 90 s.
  EXPECT_TRUE(WaitUntil(
      [&] { return logger.Errors().contains(QStringLiteral("did not answer within 15 s")); }, 60))
      << logger.Errors().toStdString();
  EXPECT_EQ(logger.Terminate(), 0);
  EXPECT_GT(LogRows(dir).size(), 0) << "the CSV log goes on meanwhile";
  close(silent);
}

TEST(LoggerCommandLine, AnswersOrRefusesWithoutRunning) {
  const struct {
    QStringList arguments;
    int exitCode;
    const char* said;  // on standard output for 0, on standard error otherwise
  } cases[] = {
      {{QStringLiteral("--version")}, 0, "kelvra-anemometer-logger 1.2.9\n"},
      {{QStringLiteral("--help")}, 0, "KELVRA_MQTT_PASSWORD"},
      {{QStringLiteral("--simulte")}, 2, "Unknown option 'simulte'"},
      {{QStringLiteral("--mqtt=127.0.0.1:65536")}, 2, "Bad broker address"},
      {{QStringLiteral("--mqtt=h"), QStringLiteral("--mqtt-cafile=/nonexistent/ca.pem")},
       2,
       "/nonexistent/ca.pem"},
      {{QStringLiteral("--mqtt=127.0.0.1:%1").arg(FreePort()),
        QStringLiteral("--homeassistant-remove")},
       1,
       "cannot reach the MQTT broker"},
      {{QStringLiteral("--mqtt=h"),
        QStringLiteral("--mqtt-cafile=" ANEMOMETER_TEST_DATA_DIR "/saved_rows.csv")},
       2,
       "saved_rows.csv cannot be read or holds no certificate"},
  };
  for (const auto& c : cases) {
    Program logger(LOGGER_PROGRAM, c.arguments);
    EXPECT_EQ(logger.Finish(), c.exitCode) << c.said;
    EXPECT_TRUE(
        (c.exitCode == 0 ? logger.Output() : logger.Errors()).contains(QString::fromUtf8(c.said)))
        << logger.Errors().toStdString();
  }
}

}  // namespace
