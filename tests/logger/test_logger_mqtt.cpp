// The logger program against a real broker: what it publishes, what it logs, and how it
// behaves when the broker goes away and when it is told to stop.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>

#include "logger_test_support.h"

namespace {

const std::string kPrefix = "kelvra/test";
const std::string kState = kPrefix + "/state";
const std::string kAvailability = kPrefix + "/availability";

// Every data row of the day files in dir, in order, without its CR LF; complete is false when
// the last line of a file does not end with CR LF.
QStringList LogRows(const QTemporaryDir& dir, bool* complete = nullptr) {
  QStringList rows;
  for (const QString& name : QDir(dir.path()).entryList({QStringLiteral("wind-*.csv")})) {
    QFile file(dir.filePath(name));
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    if (complete != nullptr) *complete = bytes.endsWith("\r\n");
    for (const QByteArray& line : bytes.split('\n')) {
      if (!line.isEmpty() && !line.startsWith('"')) rows << QString::fromLatin1(line.trimmed());
    }
  }
  return rows;
}

// The CSV row's fields compared with the state's, one by one.
bool StateMatchesRow(const QJsonObject& state, const QString& row) {
  const QStringList f = row.split(u',');
  if (f.size() != 9) return false;
  const QString time = state[QLatin1String("time")].toString();
  static const QRegularExpression iso(
      QStringLiteral(R"(^(\d{4})-(\d\d)-(\d\d)T(\d\d:\d\d:\d\d)[+-]\d\d:\d\d$)"));
  const QRegularExpressionMatch m = iso.match(time);
  if (!m.hasMatch()) return false;
  const QString csvTime = QStringLiteral("%1.%2 %3 %4")
                              .arg(m.captured(3).toInt())
                              .arg(m.captured(2).toInt())
                              .arg(m.captured(1), m.captured(4));
  if (f[0].trimmed() != csvTime) return false;
  const char* const keys[] = {"wind_speed", "wind_gust", "temperature",  "wind_chill",
                              "wind_chill_gust", "beaufort", "beaufort_gust"};
  for (int i = 0; i < 7; ++i) {
    const QJsonValue value = state[QLatin1String(keys[i])];
    // The CSV rounds the float to six decimals, the JSON carries its shortest decimal form.
    const double csv = f[i + 1].toDouble();
    if (!value.isDouble() || std::fabs(value.toDouble() - csv) > 1e-6 + 1.2e-7 * std::fabs(csv)) {
      return false;
    }
  }
  const QString sector = state[QLatin1String("wind_direction")].toString();
  return sector == f[8].trimmed() && state[QLatin1String("wind_direction_deg")].isDouble();
}

QJsonObject Json(const std::string& payload) {
  return QJsonDocument::fromJson(QByteArray::fromStdString(payload)).object();
}

QStringList LoggerArguments(const QTemporaryDir& dir, int port, QStringList more = {}) {
  return QStringList{QStringLiteral("--simulate"), QStringLiteral("--interval"),
                     QStringLiteral("0.1"), QStringLiteral("--mqtt"),
                     QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("--topic"),
                     QString::fromStdString(kPrefix), QStringLiteral("--log"),
                     dir.filePath(QStringLiteral("wind-%Y-%m-%d.csv")),
                     QStringLiteral("--config-dir"), dir.path()} +
         more;
}

TEST(LoggerWithBroker, PublishesTheLoggedRowsAndDiscoveryAndGoesOfflineOnSigterm) {
  TestBroker broker;
  ASSERT_TRUE(broker.Start());
  QTemporaryDir dir;
  std::vector<ReceivedMessage> states;
  {
    Subscriber subscriber(broker.Port(), {kPrefix + "/#"});
    ASSERT_TRUE(subscriber.WaitUntilSubscribed());
    LoggerProcess logger(LoggerArguments(dir, broker.Port(), {QStringLiteral("--homeassistant")}));
    ASSERT_TRUE(WaitUntil([&] { return subscriber.Messages(kState).size() >= 8; }));
    EXPECT_EQ(logger.Terminate(), 0) << logger.Errors().toStdString();
    ASSERT_TRUE(WaitUntil([&] {
      const auto availability = subscriber.Messages(kAvailability);
      return !availability.empty() && availability.back().payload == "offline";
    })) << "offline published at the end";
    EXPECT_EQ(subscriber.Messages(kAvailability).front().payload, "online");
    states = subscriber.Messages(kState);
  }

  bool complete = false;
  const QStringList rows = LogRows(dir, &complete);
  EXPECT_TRUE(complete) << "the log's last line is whole";
  // The states are a run of consecutive rows: those logged while the broker was connected.
  qsizetype first = 0;
  while (first < rows.size() && !StateMatchesRow(Json(states[0].payload), rows[first])) ++first;
  ASSERT_LE(first + static_cast<qsizetype>(states.size()), rows.size()) << states[0].payload;
  for (std::size_t i = 0; i < states.size(); ++i) {
    EXPECT_TRUE(StateMatchesRow(Json(states[i].payload), rows[first + qsizetype(i)]))
        << states[i].payload << "\n" << rows[first + qsizetype(i)].toStdString();
  }

  // A newcomer gets the discovery configurations and the last state from the broker.
  Subscriber newcomer(broker.Port(), {"homeassistant/#", kState});
  ASSERT_TRUE(WaitUntil([&] { return newcomer.Messages().size() >= 10; }));
  for (const ReceivedMessage& message : newcomer.Messages()) {
    EXPECT_TRUE(message.retained) << message.topic;
    if (message.topic == kState) continue;
    QJsonParseError error{};
    const QJsonObject config =
        QJsonDocument::fromJson(QByteArray::fromStdString(message.payload), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << message.payload;
    EXPECT_EQ(config[QLatin1String("state_topic")].toString().toStdString(), kState);
    EXPECT_EQ(config[QLatin1String("availability_topic")].toString().toStdString(), kAvailability);
    const QString key = config[QLatin1String("value_template")].toString().section(u'.', 1).section(
        u' ', 0, 0);
    EXPECT_TRUE(Json(states.back().payload).contains(key)) << message.payload;
    EXPECT_TRUE(message.topic.ends_with("/" + key.toStdString() + "/config")) << message.topic;
    EXPECT_FALSE(config[QLatin1String("unique_id")].toString().isEmpty());
    EXPECT_TRUE(config[QLatin1String("device")].isObject());
  }
}

TEST(LoggerWithBroker, KeepsLoggingWhileTheBrokerIsAwayAndComesBackOnline) {
  TestBroker broker;  // not started: missing when the logger starts
  QTemporaryDir dir;
  LoggerProcess logger(LoggerArguments(dir, broker.Port(), {QStringLiteral("--verbose")}));
  ASSERT_TRUE(WaitUntil([&] { return logger.Said(QStringLiteral("cannot reach")) && logger.Records() >= 3; }))
      << logger.Errors().toStdString();

  ASSERT_TRUE(broker.Start());
  Subscriber subscriber(broker.Port(), {kPrefix + "/#"});
  const auto onlineCount = [&] {
    std::size_t online = 0;
    for (const ReceivedMessage& m : subscriber.Messages(kAvailability)) online += m.payload == "online";
    return online;
  };
  ASSERT_TRUE(WaitUntil([&] { return onlineCount() == 1 && !subscriber.Messages(kState).empty(); }))
      << "the logger kept trying and connected";

  broker.Stop();
  const qsizetype recordsAtStop = logger.Records();
  ASSERT_TRUE(WaitUntil([&] {
    return logger.Said(QStringLiteral("lost the MQTT broker")) && logger.Records() >= recordsAtStop + 5;
  }));
  ASSERT_TRUE(broker.Start());
  const std::size_t statesBefore = subscriber.Messages(kState).size();
  ASSERT_TRUE(WaitUntil([&] {
    return onlineCount() == 2 && subscriber.Messages(kState).size() >= statesBefore + 3;
  })) << "online again and publishing resumed\n" << logger.Errors().toStdString();

  EXPECT_EQ(logger.Terminate(), 0);
  const QStringList rows = LogRows(dir);
  EXPECT_EQ(rows.size(), logger.Records()) << "a CSV row for every record, broker or not";
  EXPECT_TRUE(logger.Said(QStringLiteral("stopped after %1 records").arg(rows.size())));
}

struct CommandLineCase {
  const char* name;
  QStringList arguments;
  int exitCode;
  const char* said;  // on standard error, or on standard output for exit code 0
};

class LoggerCommandLine : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(LoggerCommandLine, AnswersOrRefusesWithoutRunning) {
  LoggerProcess logger(GetParam().arguments);
  EXPECT_EQ(logger.Finish(), GetParam().exitCode);
  const QString text = GetParam().exitCode == 0 ? logger.Output() : logger.Errors();
  EXPECT_TRUE(text.contains(QString::fromUtf8(GetParam().said))) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoggerCommandLine,
    ::testing::Values(
        CommandLineCase{"Version", {QStringLiteral("--version")}, 0, "kelvra-anemometer-logger 1.2.9\n"},
        CommandLineCase{"Help", {QStringLiteral("--help")}, 0, "KELVRA_MQTT_PASSWORD"},
        CommandLineCase{"UnknownOption", {QStringLiteral("--simulte")}, 2, "Unknown option 'simulte'"},
        CommandLineCase{"BadPort",
                        {QStringLiteral("--mqtt"), QStringLiteral("127.0.0.1:65536")},
                        2,
                        "Bad broker address"},
        CommandLineCase{"UnreadableCaFile",
                        {QStringLiteral("--mqtt"), QStringLiteral("127.0.0.1"),
                         QStringLiteral("--mqtt-cafile"), QStringLiteral("/nonexistent/ca.pem")},
                        2,
                        "/nonexistent/ca.pem"}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
