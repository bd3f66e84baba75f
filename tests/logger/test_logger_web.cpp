// The logger's web server, against the program on the simulator: the API agrees with the log and
// with the archive tool, bad requests are refused with a reason, the metrics pass Prometheus'
// linter and are scraped by a real Prometheus, hostile requests and crowds of idle connections
// leave the logger logging, the event stream carries the records, and with a user and a
// certificate only HTTPS with the password is answered.
#include <arpa/inet.h>
#include <curl/curl.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "archive/station_archive.h"
#include "tests/logger/logger_test_support.h"
#include "tests/logger/timeseries_server.h"
#include "web/archive_api.h"
#include "web/state_json.h"
#include "web/web_server.h"

namespace {

// Rows of a day long past, in the live log's layout, for the archive to hold before the logger
// starts: a day that no longer changes while the test reads it.
QByteArray PastDayRows() {
  // The header line the window writes; the reader skips the first line.
  QByteArray rows = "\"Datum a cas\"\r\n";
  const double speeds[] = {1.5, 4.25, 7.0, 2.75, 0.2, 9.5};
  const char* sectors[] = {"N", "NE", "E", "SW", "N", "WNW"};
  for (int i = 0; i < 6; ++i) {
    char line[200];
    std::snprintf(
        line, sizeof line,
        "  3.11 2026 %02d:%02d:00,%10.6f,%10.6f,%10.6f,%10.6f,%10.6f,%10.6f,%10.6f,%10s\r\n", 8 + i,
        5 * i, speeds[i], speeds[i] * 1.5, 4.0 - i, 1.0 - i, -i * 1.0, 2.0, 3.0, sectors[i]);
    rows += line;
  }
  return rows;
}

class LoggerWeb : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;
    archive_ = dir_->filePath(QStringLiteral("archive.sqlite"));
    log_ = dir_->filePath(QStringLiteral("wind.csv"));
    const QString past = dir_->filePath(QStringLiteral("past.csv"));
    QFile rows(past);
    ASSERT_TRUE(rows.open(QIODevice::WriteOnly));
    rows.write(PastDayRows());
    rows.close();
    ASSERT_EQ(Tool({QStringLiteral("import"), past}), 0);
    port_ = FreePort();
    logger_ = new Program(
        LOGGER_PROGRAM,
        {QStringLiteral("--simulate"), QStringLiteral("--interval=0.2"),
         QStringLiteral("--config-dir"), dir_->path(), QStringLiteral("--http"),
         QStringLiteral("127.0.0.1:%1").arg(port_), QStringLiteral("--archive"), archive_,
         QStringLiteral("--log"), log_, QStringLiteral("--log-format"), QStringLiteral("iso")},
        Utc());
    ASSERT_TRUE(WaitUntil([] { return QFile::exists(log_) && CsvDataRows(log_) >= 3; }))
        << logger_->Errors().toStdString();
  }
  static void TearDownTestSuite() {
    EXPECT_EQ(logger_->Terminate(), 0) << logger_->Errors().toStdString();
    delete logger_;
    delete dir_;
  }

  static QProcessEnvironment Utc() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    return environment;
  }

  // The archive tool on the logger's archive; its exit status, its output in out.
  static int Tool(QStringList arguments, QByteArray* out = nullptr) {
    QProcess tool;
    tool.setProcessEnvironment(Utc());
    tool.start(QStringLiteral(ARCHIVE_TOOL_PROGRAM),
               arguments << QStringLiteral("--archive") << archive_);
    if (!tool.waitForFinished(30000)) return -1;
    if (out != nullptr) *out = tool.readAllStandardOutput();
    return tool.exitCode();
  }

  static QStringList LastLoggedRow() {
    QFile file(log_);
    file.open(QIODevice::ReadOnly);
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    return QString::fromUtf8(lines.back()).split(u',');
  }

  // A request answered while no record came: the log's last row is the logger's newest record.
  static std::pair<Reply, QStringList> WithNewestRow(const std::string& path) {
    for (int attempt = 0; attempt < 50; ++attempt) {
      const QStringList before = LastLoggedRow();
      const qsizetype rows = CsvDataRows(log_);
      Reply reply = Request(port_, path);
      if (LastLoggedRow() == before && CsvDataRows(log_) == rows) return {reply, before};
    }
    return {};
  }

  static QTemporaryDir* dir_;
  static QString archive_;
  static QString log_;
  static int port_;
  static Program* logger_;
};

QTemporaryDir* LoggerWeb::dir_ = nullptr;
QString LoggerWeb::archive_;
QString LoggerWeb::log_;
int LoggerWeb::port_ = 0;
Program* LoggerWeb::logger_ = nullptr;

TEST_F(LoggerWeb, CurrentShowsTheValuesOfTheLastLoggedRow) {
  const auto [reply, row] = WithNewestRow("/api/current");
  ASSERT_EQ(reply.status, 200);
  ASSERT_EQ(row.size(), 10) << "the ISO log's header names the ten fields";
  const QJsonObject current = reply.Json();
  EXPECT_EQ(current[QStringLiteral("time")].toString(), row[0]);
  const char* fields[] = {"wind_speed",         "wind_gust",   "wind_direction",
                          "wind_direction_deg", "temperature", "wind_chill",
                          "wind_chill_gust",    "beaufort",    "beaufort_gust"};
  for (int i = 0; i < 9; ++i) {
    const QJsonValue value = current[QLatin1String(fields[i])];
    const QString logged = row[i + 1];
    if (value.isString()) {
      EXPECT_EQ(value.toString(), logged) << fields[i];
    } else {
      EXPECT_EQ(value.toDouble(), logged.toDouble()) << fields[i];
    }
  }
  EXPECT_TRUE(current[QStringLiteral("connected")].toBool());
  // CsvDataRows counts the ISO log's header too.
  EXPECT_EQ(current[QStringLiteral("records")].toInteger(), CsvDataRows(log_) - 1);
  EXPECT_TRUE(current[QStringLiteral("last_report")].toString().endsWith(QStringLiteral("+00:00")));
}

TEST_F(LoggerWeb, DaySummaryIsTheArchiveToolsReportOfThatDay) {
  QByteArray report;
  ASSERT_EQ(Tool({QStringLiteral("report"), QStringLiteral("--month"), QStringLiteral("2026-11"),
                  QStringLiteral("--format"), QStringLiteral("json")},
                 &report),
            0);
  const QJsonArray days =
      QJsonDocument::fromJson(report).object()[QStringLiteral("days")].toArray();
  ASSERT_EQ(days.size(), 1);
  const Reply reply = Request(port_, "/api/summary/day?date=2026-11-03");
  ASSERT_EQ(reply.status, 200) << reply.body;
  const QJsonObject day = reply.Json();
  ASSERT_EQ(day[QStringLiteral("days")].toArray().size(), 1) << reply.body;
  EXPECT_EQ(day[QStringLiteral("days")].toArray()[0].toObject(), days[0].toObject());
  EXPECT_EQ(
      day[QStringLiteral("days")].toArray()[0].toObject()[QStringLiteral("records")].toInteger(),
      6);
  // A day without records has none, and the month has the day.
  EXPECT_TRUE(Request(port_, "/api/summary/day?date=2026-11-04")
                  .Json()[QStringLiteral("days")]
                  .toArray()
                  .isEmpty());
  EXPECT_EQ(Request(port_, "/api/summary/month?month=2026-11").Json()[QStringLiteral("days")],
            QJsonValue(days));
}

TEST_F(LoggerWeb, HistoryAndRoseOfThePastDayComeFromItsSummaries) {
  const QJsonObject hours =
      Request(port_, "/api/history?from=2026-11-03&to=2026-11-03&step=hour").Json();
  const QJsonArray points = hours[QStringLiteral("points")].toArray();
  ASSERT_EQ(points.size(), 6) << QJsonDocument(hours).toJson().toStdString();
  EXPECT_EQ(points[2].toObject()[QStringLiteral("time")],
            QStringLiteral("2026-11-03T10:00:00+00:00"));
  EXPECT_DOUBLE_EQ(points[2].toObject()[QStringLiteral("mean_speed")].toDouble(), 7.0);
  EXPECT_DOUBLE_EQ(points[2].toObject()[QStringLiteral("direction_deg")].toDouble(), 90.0);
  // Without a step the range chooses it: a day in minutes, a year in days.
  EXPECT_EQ(Request(port_, "/api/history?from=2026-11-03&to=2026-11-03").Json()["step"], "minute");
  EXPECT_EQ(Request(port_, "/api/history?from=2026-01-01&to=2026-12-31").Json()["step"], "day");
  const QJsonArray sectors =
      Request(port_, "/api/rose?from=2026-11-03&to=2026-11-03").Json()["sectors"].toArray();
  ASSERT_EQ(sectors.size(), 16);
  EXPECT_EQ(sectors[0].toObject()["count"].toInteger(), 1) << "the second north record is calm";
  EXPECT_EQ(sectors[2].toObject()["count"].toInteger(), 1);
  EXPECT_EQ(sectors[1].toObject()["count"].toInteger(), 0);
}

TEST_F(LoggerWeb, BadRequestsAreRefusedWithAReason) {
  const struct {
    const char* path;
    long status;
    const char* method;
  } cases[] = {
      {"/api/history?from=yesterday", 400, nullptr},
      {"/api/history?step=week", 400, nullptr},
      {"/api/history?from=2026-12-07&to=2026-12-06", 400, nullptr},
      {"/api/history?from=2020-01-01&to=2026-12-01&step=minute", 400, nullptr},
      {"/api/history?from=2000-01-01&to=2026-12-01", 400, nullptr},
      {"/api/history?color=red", 400, nullptr},
      {"/api/history?from=2026-11-01&from=2026-11-02", 400, nullptr},
      {"/api/rose?to=2026-02-30", 400, nullptr},
      {"/api/summary/day", 400, nullptr},
      {"/api/summary/day?date=2026-11", 400, nullptr},
      {"/api/summary/day?date=2026-11-03T10:00", 400, nullptr},
      {"/api/summary/month?month=2026-13", 400, nullptr},
      {"/api/records?station=other", 400, nullptr},
      {"/api/nothing", 404, nullptr},
      {"/index.html", 404, nullptr},
      {"/api/current", 405, "POST"},
      {"/api/current", 405, "DELETE"},
  };
  for (const auto& c : cases) {
    const Reply reply = Request(port_, c.path, {}, c.method);
    EXPECT_EQ(reply.status, c.status) << c.path;
    EXPECT_FALSE(reply.Json()[QStringLiteral("error")].toString().isEmpty())
        << c.path << ": " << reply.body;
  }
}

TEST_F(LoggerWeb, EveryAnswerForbidsForeignContentAndSniffing) {
  const struct {
    const char* path;
    const char* cache;
    const char* type;
  } cases[] = {
      {"/", "no-cache", "text/html"},
      {"/live.js", "no-cache", "text/javascript"},
      {"/uPlot.iife.min.js", "no-cache", "text/javascript"},
      {"/app.css", "no-cache", "text/css"},
      {"/icon.svg", "no-cache", "image/svg+xml"},
      {"/api/current", "no-store", "application/json"},
      {"/metrics", "no-store", "text/plain"},
      {"/api/summary/day?date=x", "no-store", "application/json"},
      {"/missing", "no-store", "application/json"},
  };
  for (const auto& c : cases) {
    const Reply reply = Request(port_, c.path);
    EXPECT_NE(reply.headers.find("Content-Security-Policy: default-src 'self'"), std::string::npos)
        << c.path;
    EXPECT_NE(reply.headers.find("X-Content-Type-Options: nosniff"), std::string::npos) << c.path;
    EXPECT_NE(reply.headers.find(std::string("Cache-Control: ") + c.cache), std::string::npos)
        << c.path;
    EXPECT_NE(reply.headers.find(std::string("Content-Type: ") + c.type), std::string::npos)
        << c.path;
  }
}

TEST_F(LoggerWeb, ThePageSpeaksCzechUnlessTheBrowserPrefersEnglish) {
  const struct {
    const char* accept;
    const char* lang;
  } cases[] = {
      {"", "cs"},
      {"Accept-Language: cs-CZ,cs;q=0.9,en;q=0.8", "cs"},
      {"Accept-Language: en-US,en;q=0.9", "en"},
      {"Accept-Language: de-DE, en;q=0.5", "en"},
      {"Accept-Language: en;q=0.3, cs;q=0.7", "cs"},
      {"Accept-Language: en, cs", "en"},
      {"Accept-Language: de", "cs"},
  };
  for (const auto& c : cases) {
    const Reply reply = Request(port_, "/", c.accept);
    ASSERT_EQ(reply.status, 200);
    EXPECT_NE(reply.body.find(std::string("<html lang=\"") + c.lang + "\""), std::string::npos)
        << c.accept;
    EXPECT_EQ(reply.body.find("{{"), std::string::npos) << "every text is filled in";
    EXPECT_EQ(reply.body.find("<script>"), std::string::npos) << "no inline script";
  }
}

TEST_F(LoggerWeb, MetricsPassPrometheusLinterAndShowTheSimulatorsSpeed) {
  const auto [reply, row] = WithNewestRow("/metrics");
  ASSERT_EQ(reply.status, 200);
  const std::string sample = "kelvra_anemometer_wind_speed_meters_per_second ";
  const std::size_t at = reply.body.find("\n" + sample);
  ASSERT_NE(at, std::string::npos) << reply.body;
  EXPECT_NEAR(std::stod(reply.body.substr(at + 1 + sample.size())), row[1].toDouble(), 1e-6);
  QProcess promtool;
  promtool.start(QStringLiteral(PROMTOOL), {QStringLiteral("check"), QStringLiteral("metrics")});
  promtool.write(QByteArray::fromStdString(reply.body));
  promtool.closeWriteChannel();
  ASSERT_TRUE(promtool.waitForFinished(30000));
  EXPECT_EQ(promtool.exitCode(), 0) << promtool.readAllStandardOutput().toStdString()
                                    << promtool.readAllStandardError().toStdString();
}

TEST_F(LoggerWeb, PrometheusScrapesTheSpeedsTheLoggerLogged) {
  PrometheusServer prometheus(port_);
  ASSERT_TRUE(prometheus.Start()) << prometheus.Errors().toStdString();
  const char* speed = "kelvra_anemometer_wind_speed_meters_per_second";
  const std::string scraped = std::string(speed) + "[1m]";
  QJsonArray samples;
  ASSERT_TRUE(WaitUntil(
      [&] {
        samples = prometheus.Query(scraped.c_str()).at(0)[QLatin1String("values")].toArray();
        return samples.size() >= 3;
      },
      60))
      << prometheus.Errors().toStdString();
  const QJsonArray up = prometheus.Query("up");
  ASSERT_EQ(up.size(), 1);
  EXPECT_EQ(up[0][QLatin1String("metric")][QLatin1String("job")].toString(), "logger");
  EXPECT_EQ(up[0][QLatin1String("value")][1].toString(), "1");
  // The instant query's time is the query's, a moment after the newest scrape.
  const QJsonArray newest = prometheus.Query(speed);
  ASSERT_EQ(newest.size(), 1);
  const QJsonArray now = newest[0][QLatin1String("value")].toArray();

  // Each scrape read the newest record of its moment: a row logged within two seconds of it.
  std::vector<std::pair<qint64, double>> logged;
  QFile log(log_);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  for (const QByteArray& line : log.readAll().split('\n')) {
    const QList<QByteArray> fields = line.split(',');
    const QDateTime time = QDateTime::fromString(QString::fromLatin1(fields[0]), Qt::ISODate);
    if (fields.size() == 10 && time.isValid()) {
      logged.emplace_back(time.toSecsSinceEpoch(), fields[1].toDouble());
    }
  }
  const auto check = [&](const QJsonValue& sample, double seconds) {
    const double at = sample[0].toDouble();
    const double value = sample[1].toString().toDouble();
    EXPECT_TRUE(std::any_of(logged.begin(), logged.end(),
                            [&](const auto& row) {
                              return std::abs(static_cast<double>(row.first) - at) <= seconds &&
                                     std::abs(row.second - value) < 1e-6;
                            }))
        << "scraped " << value << " at " << std::fixed << at << ", not in the log";
  };
  for (const QJsonValue& sample : samples) check(sample, 2.0);
  check(now, 10.0);
  EXPECT_EQ(prometheus.Stop(), 0) << prometheus.Errors().toStdString();
}

TEST_F(LoggerWeb, HostileRequestsAreRefusedAndTheLoggerKeepsLogging) {
  const std::string filler(100000, 'a');
  const struct {
    std::string path;
    std::string header;
    long status;  // or no answer: the server may close before the client has sent it all
  } cases[] = {
      {"/../../etc/passwd", "", 404},
      {"/%2e%2e/%2e%2e/etc/passwd", "", 404},
      {"/%2E%2E%2F%2E%2E%2Fetc%2Fpasswd", "", 404},
      {"/app.js/../../../../etc/passwd", "", 404},
      {"/./app.js", "", 404},
      {"//etc/passwd", "", 404},
      {"/api/current", "X-Filler: " + filler, 431},
      {"/api/current?from=" + filler, "", 414},
  };
  for (const auto& c : cases) {
    const Reply reply = Request(port_, c.path, c.header);
    EXPECT_TRUE(reply.status == c.status || (c.status != 404 && reply.status == 0))
        << c.path.substr(0, 40) << ": " << reply.status;
    EXPECT_EQ(reply.body.find("root:"), std::string::npos) << c.path.substr(0, 40);
  }
  const qsizetype rows = CsvDataRows(log_);
  EXPECT_TRUE(WaitUntil([&] { return CsvDataRows(log_) >= rows + 3; }))
      << logger_->Errors().toStdString();
  EXPECT_EQ(Request(port_, "/api/current").status, 200);
}

// The resident memory of a process, in KiB.
long ResidentKiB(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ')[0].toLong();
  }
  return -1;
}

// A connection that never sends, from a loopback address of its own (all of 127/8 is this
// computer): to the server each address is another client.
int IdleConnection(int port, const std::string& source) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
  sockaddr_in from{};
  from.sin_family = AF_INET;
  inet_pton(AF_INET, source.c_str(), &from.sin_addr);
  bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);  // completes in the background
  return fd;
}

// Closed or refused by the server; a connection still waiting to be accepted is open.
bool ClosedByServer(int fd) {
  char byte = 0;
  const ssize_t got = recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != ENOTCONN);
}

// The sockets a process holds: its listening socket and its clients.
int Sockets(qint64 pid) {
  int sockets = 0;
  std::error_code error;
  for (const auto& fd :
       std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
    sockets += std::filesystem::read_symlink(fd.path(), error).string().rfind("socket:", 0) == 0;
  }
  return sockets;
}

int ClosedByServer(const std::vector<int>& connections) {
  return static_cast<int>(std::count_if(connections.begin(), connections.end(),
                                        [](int fd) { return ClosedByServer(fd); }));
}

TEST_F(LoggerWeb, AThousandIdleConnectionsAreHeldToTheLimitsAndTheLoggerKeepsLogging) {
  rlimit files{};
  getrlimit(RLIMIT_NOFILE, &files);
  if (files.rlim_max < 1200) GTEST_SKIP() << "needs 1200 open files";
  files.rlim_cur = std::max<rlim_t>(files.rlim_cur, 1200);
  setrlimit(RLIMIT_NOFILE, &files);
  const qint64 pid = logger_->Pid();
  ASSERT_EQ(Request(port_, "/api/current").status, 200);
  const long before = ResidentKiB(pid);
  const int listening = Sockets(pid);
  const WebServer::Limits limits;
  // One client over the limit of its address: what is beyond is closed at once.
  std::vector<int> one;
  for (unsigned i = 0; i < limits.perAddress + 10; ++i) {
    one.push_back(IdleConnection(port_, "127.0.3.1"));
  }
  EXPECT_TRUE(WaitUntil([&] { return ClosedByServer(one) >= 10; }));
  EXPECT_EQ(ClosedByServer(one), 10);
  for (int fd : one) close(fd);
  // 25 clients of 40 connections each: at its limit the server takes no more, and the rest wait
  // in the kernel's queue.
  std::vector<int> crowd;
  for (int i = 0; i < 1000; ++i) {
    crowd.push_back(IdleConnection(port_, "127.0.2." + std::to_string(i % 25 + 1)));
  }
  // The connection that reaches the limit may be the one libmicrohttpd closes.
  EXPECT_TRUE(WaitUntil([&] {
    return Sockets(pid) - listening >= static_cast<int>(limits.connections) - 1;
  })) << Sockets(pid) - listening
      << " held";
  const qsizetype rows = CsvDataRows(log_);
  EXPECT_TRUE(WaitUntil([&] { return CsvDataRows(log_) >= rows + 3; }))
      << "the simulator's records go on into the log meanwhile";
  EXPECT_LE(Sockets(pid) - listening, static_cast<int>(limits.connections));
  EXPECT_EQ(Request(port_, "/api/current", {}, nullptr, {"", "", 1000}).status, 0)
      << "a client beyond the limit waits";
  for (int fd : crowd) close(fd);
  // The server takes clients again once they have gone.
  EXPECT_TRUE(WaitUntil([&] {
    return Request(port_, "/api/current", {}, nullptr, {"", "", 2000}).status == 200;
  }));
  const long after = ResidentKiB(pid);
  ASSERT_GT(before, 0);
  EXPECT_LT(after - before, 20 * 1024) << before << " KiB before, " << after << " after";
}

TEST_F(LoggerWeb, AnEventStreamClientReceivesARecordEvent) {
  struct Received {
    std::string text;
  } received;
  CURL* curl = curl_easy_init();
  const std::string url = "http://127.0.0.1:" + std::to_string(port_) + "/api/events";
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(
      curl, CURLOPT_WRITEFUNCTION, +[](char* data, size_t size, size_t count, void* out) {
        auto* got = static_cast<Received*>(out);
        got->text.append(data, size * count);
        // Enough once a whole record event is in: ending the transfer here is no failure.
        const std::size_t event = got->text.find("event: record\ndata: ");
        if (event != std::string::npos && got->text.find("\n\n", event) != std::string::npos) {
          return size_t{0};
        }
        return size * count;
      });
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &received);
  const CURLcode result = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  char* type = nullptr;
  curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
  const std::string contentType = type != nullptr ? type : "";
  curl_easy_cleanup(curl);
  ASSERT_EQ(result, CURLE_WRITE_ERROR) << "the transfer ended by the test, not by time";
  EXPECT_EQ(status, 200);
  EXPECT_EQ(contentType.rfind("text/event-stream", 0), 0u) << contentType;
  const std::size_t data = received.text.find("event: record\ndata: ") + 20;
  const QJsonObject record =
      QJsonDocument::fromJson(QByteArray::fromStdString(received.text.substr(
                                  data, received.text.find('\n', data) - data)))
          .object();
  EXPECT_TRUE(record.contains(QStringLiteral("wind_speed"))) << received.text;
  EXPECT_GT(record[QStringLiteral("records")].toInteger(), 0);
}

// A self-signed certificate for 127.0.0.1 and its key, made for this run.
bool MakeCertificate(const QString& certificate, const QString& key) {
  QProcess openssl;
  openssl.start(QStringLiteral(OPENSSL),
                {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                 QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                 QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                 QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                 QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                 QStringLiteral("subjectAltName=IP:127.0.0.1"), QStringLiteral("-keyout"), key,
                 QStringLiteral("-out"), certificate});
  return openssl.waitForFinished(30000) && openssl.exitCode() == 0;
}

// A colon and a non-ASCII letter: the password is everything after the user name's colon, UTF-8.
const std::string kPassword = "pa55:w\xc3\xb6rd";

// The logger with a user name and a certificate.
class LoggerWebLogin : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;
    certificate_ = dir_->filePath(QStringLiteral("cert.pem"));
    const QString key = dir_->filePath(QStringLiteral("key.pem"));
    ASSERT_TRUE(MakeCertificate(certificate_, key));
    port_ = FreePort();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KELVRA_HTTP_PASSWORD"), QString::fromStdString(kPassword));
    logger_ = new Program(LOGGER_PROGRAM,
                          {QStringLiteral("--simulate"), QStringLiteral("--interval=0.2"),
                           QStringLiteral("--config-dir"), dir_->path(), QStringLiteral("--http"),
                           QStringLiteral("127.0.0.1:%1").arg(port_), QStringLiteral("--http-user"),
                           QStringLiteral("station"), QStringLiteral("--http-cert"), certificate_,
                           QStringLiteral("--http-key"), key},
                          environment);
    ASSERT_TRUE(WaitUntil([] {
      return logger_->Errors().contains(QStringLiteral("serving https://127.0.0.1:%1/").arg(port_));
    })) << logger_->Errors().toStdString();
  }
  static void TearDownTestSuite() {
    EXPECT_EQ(logger_->Terminate(), 0) << logger_->Errors().toStdString();
    delete logger_;
    delete dir_;
  }
  static Client As(const std::string& login, long timeoutMs = 20000) {
    return {login, certificate_.toStdString(), timeoutMs};
  }

  static QTemporaryDir* dir_;
  static QString certificate_;
  static int port_;
  static Program* logger_;
};

QTemporaryDir* LoggerWebLogin::dir_ = nullptr;
QString LoggerWebLogin::certificate_;
int LoggerWebLogin::port_ = 0;
Program* LoggerWebLogin::logger_ = nullptr;

TEST_F(LoggerWebLogin, EveryPathNeedsTheUserAndPassword) {
  const struct {
    const char* path;
    long status;
  } paths[] = {
      {"/", 200},           {"/live.js", 200}, {"/api/current", 200}, {"/api/history?from=x", 400},
      {"/api/events", 200}, {"/metrics", 200}, {"/missing", 404},
  };
  const Client strangers[] = {As(""), As("station:pa55:word"), As("Station:" + kPassword),
                              As("station:" + kPassword + "x"), As("station" + kPassword)};
  for (const auto& p : paths) {
    for (const Client& stranger : strangers) {
      const Reply reply = Request(port_, p.path, {}, nullptr, stranger);
      EXPECT_EQ(reply.status, 401) << p.path << " as " << stranger.login;
      EXPECT_NE(reply.headers.find(
                    R"(WWW-Authenticate: Basic realm="kelvra-anemometer", charset="UTF-8")"),
                std::string::npos)
          << p.path << reply.headers;
      EXPECT_NE(reply.headers.find("Content-Security-Policy: default-src 'self'"),
                std::string::npos);
      EXPECT_NE(reply.headers.find("X-Content-Type-Options: nosniff"), std::string::npos);
      EXPECT_EQ(reply.body.find("wind"), std::string::npos) << reply.body;
    }
    // An event stream does not end: its status is all there is to see.
    const Reply reply = Request(port_, p.path, {}, nullptr, As("station:" + kPassword, 3000));
    EXPECT_EQ(reply.status, p.status) << p.path << ": " << reply.body;
  }
  // Not even which methods are answered, without the password.
  EXPECT_EQ(Request(port_, "/api/current", {}, "POST", As("")).status, 401);
  EXPECT_EQ(Request(port_, "/api/current", {}, "POST", As("station:" + kPassword)).status, 405);
}

TEST_F(LoggerWebLogin, PlainHttpGetsNoAnswer) {
  EXPECT_EQ(Request(port_, "/api/current", {}, nullptr, {"station:" + kPassword, "", 5000}).status,
            0);
  EXPECT_EQ(Request(port_, "/api/current", {}, nullptr, As("station:" + kPassword)).status, 200)
      << "the server still answers HTTPS";
}

TEST(LoggerWebStart, WhatTheWebServerCannotUseEndsTheStart) {
  QTemporaryDir dir;
  const QString garbage = dir.filePath(QStringLiteral("garbage.pem"));
  QFile file(garbage);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("-----BEGIN CERTIFICATE-----\nnot one\n-----END CERTIFICATE-----\n");
  file.close();
  const QString missing = dir.filePath(QStringLiteral("missing.pem"));
  const struct {
    QStringList arguments;
    bool password;
    int status;
    const char* says;
  } cases[] = {
      {{QStringLiteral("--http-user"), QStringLiteral("station")},
       false,
       2,
       "KELVRA_HTTP_PASSWORD"},
      {{QStringLiteral("--http-cert"), missing, QStringLiteral("--http-key"), garbage},
       false,
       1,
       "cannot read the web server's certificate"},
      {{QStringLiteral("--http-cert"), garbage, QStringLiteral("--http-key"), missing},
       false,
       1,
       "cannot read the web server's key"},
      {{QStringLiteral("--http-cert"), garbage, QStringLiteral("--http-key"), garbage},
       true,
       1,
       "TLS"},
  };
  for (const auto& c : cases) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("KELVRA_HTTP_PASSWORD"));
    QStringList arguments = {QStringLiteral("--simulate"), QStringLiteral("--no-archive"),
                             QStringLiteral("--http"), QString::number(FreePort())};
    if (c.password) {
      environment.insert(QStringLiteral("KELVRA_HTTP_PASSWORD"), QStringLiteral("secret"));
      arguments << QStringLiteral("--http-user") << QStringLiteral("station");
    }
    Program logger(LOGGER_PROGRAM, arguments + c.arguments, environment);
    EXPECT_EQ(logger.Finish(), c.status) << c.says;
    // A certificate libmicrohttpd cannot use fails where the address would: with its reason.
    EXPECT_TRUE(logger.Errors().contains(QLatin1String(c.says)) &&
                (c.status == 2 || logger.Errors().contains(QStringLiteral("cannot "))))
        << logger.Errors().toStdString();
  }
}

// The history's times, placed once per stretch of the zone, against LocalIsoTime of each: across
// both changes of a year, in a zone from the database and in one of POSIX rules only. Its
// numbers, written as text, read back as the thousandths they were rounded to.
TEST(ArchiveApiHistory, EveryPointsTimeCarriesTheOffsetOfItsMoment) {
  const struct {
    const char* from;
    const char* to;
    const char* step;
  } ranges[] = {{"2026-03-05", "2026-04-02", "hour"},
                {"2026-10-20", "2026-11-02", "hour"},
                {"2026-03-01", "2026-12-05", "day"}};
  for (const char* zone : {"Europe/Prague", "America/St_Johns", "CET-1CEST,M3.5.0,M10.5.0/3"}) {
    const QByteArray savedZone = qgetenv("TZ");
    qputenv("TZ", zone);
    tzset();
    QTemporaryDir dir;
    StationArchive archive(dir.filePath(QStringLiteral("a.sqlite")).toStdString(),
                           StationArchive::Access::Write);
    const std::int32_t station = archive.Station("roof");
    archive.BeginImport();
    for (std::int64_t time = 1772323200; time < 1772323200 + 280 * 86400; time += 1800) {
      StoredRecord record;  // 2026-03-01 on, every half hour, placed as capture places it
      record.time = time;
      record.utcOffset = QDateTime::fromSecsSinceEpoch(time).offsetFromUtc();
      record.avgSpeed = 1050600;  // written rounded to thousandths: 1.051
      record.gustSpeed = 12000000;
      record.temperature = time % 3600 == 0 ? -62500 : 4050000;  // -0.063 and 4.05
      archive.Import(station, record);
    }
    archive.CommitImport();
    for (const auto& range : ranges) {
      ArchiveApi api{archive, "roof", 0};
      const WebResponse answer =
          api.History({{"from", range.from}, {"to", range.to}, {"step", range.step}});
      const QJsonArray points =
          QJsonDocument::fromJson(answer.body).object()[QStringLiteral("points")].toArray();
      EXPECT_GT(points.size(), 250) << zone << " " << range.from << ": " << answer.body.data();
      std::set<std::string> offsets;
      for (const QJsonValue point : points) {
        const QString time = point[QLatin1String("time")].toString();
        const QDateTime local = QDateTime::fromString(time.left(19), Qt::ISODate);
        const SystemTime civil{static_cast<std::uint16_t>(local.date().year()),
                               static_cast<std::uint16_t>(local.date().month()),
                               0,
                               static_cast<std::uint16_t>(local.date().day()),
                               static_cast<std::uint16_t>(local.time().hour()),
                               static_cast<std::uint16_t>(local.time().minute()),
                               static_cast<std::uint16_t>(local.time().second()),
                               0};
        ASSERT_EQ(time, LocalIsoTime(civil)) << zone;
        EXPECT_EQ(point[QLatin1String("mean_speed")].toDouble(), 1.051);
        EXPECT_EQ(point[QLatin1String("max_gust")].toDouble(), 12);
        EXPECT_EQ(point[QLatin1String("min_temperature")].toDouble(), -0.063);
        EXPECT_EQ(point[QLatin1String("max_temperature")].toDouble(), 4.05);
        offsets.insert(time.mid(19).toStdString());
      }
      EXPECT_EQ(offsets.size(), 2u)
          << zone << " " << range.from
          << " has summer and winter: " << ::testing::PrintToString(offsets);
    }
    savedZone.isNull() ? qunsetenv("TZ") : qputenv("TZ", savedZone);
    tzset();
  }
}

// A raw client of the in-process server: it reads only when told to, so that it can also not read.
class RawClient {
 public:
  RawClient(int port, const char* path, int receiveBuffer = 0) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0) {
      setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // The server runs on this thread: the connection waits in the backlog until it is pumped.
    connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK);
    const std::string request = std::string("GET ") + path + " HTTP/1.1\r\nHost: test\r\n\r\n";
    EXPECT_EQ(send(fd_, request.data(), request.size(), 0), static_cast<ssize_t>(request.size()));
  }
  ~RawClient() { close(fd_); }
  void Send(const std::string& request) {
    EXPECT_EQ(send(fd_, request.data(), request.size(), 0), static_cast<ssize_t>(request.size()));
  }
  std::size_t Count(const char* text) {
    std::size_t count = 0;
    const std::string& got = Read();
    for (std::size_t at = got.find(text); at != std::string::npos; at = got.find(text, at + 1)) {
      ++count;
    }
    return count;
  }
  const std::string& Read() {
    char buffer[65536];
    ssize_t got = 0;
    while ((got = recv(fd_, buffer, sizeof buffer, 0)) > 0) {
      received_.append(buffer, static_cast<std::size_t>(got));
    }
    return received_;
  }
  bool Got(const char* text) { return Read().find(text) != std::string::npos; }

 private:
  int fd_ = -1;
  std::string received_;
};

WebServer::Handler NothingButJson() {
  return [](const QByteArray&, const QueryParameters&, std::string_view) {
    return JsonResponse(QJsonObject{{QStringLiteral("ok"), true}});
  };
}

TEST(WebServerStreams, BeyondTheLimitAClientGets503AndTheOthersGoOn) {
  WebServer::Limits limits;
  limits.streams = 2;
  WebServer server({"127.0.0.1", FreePort(), false}, NothingButJson(), limits);
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  RawClient first(server.Port(), "/api/events");
  RawClient second(server.Port(), "/api/events");
  ASSERT_TRUE(WaitUntil([&] { return server.Streams() == 2; }));
  RawClient third(server.Port(), "/api/events");
  ASSERT_TRUE(WaitUntil([&] { return third.Got("\r\n\r\n{"); })) << third.Read();
  EXPECT_EQ(third.Read().rfind("HTTP/1.1 503", 0), 0u) << third.Read();
  EXPECT_TRUE(third.Got("Too many event streams"));
  server.Broadcast("record", R"({"wind_speed":1.5})");
  EXPECT_TRUE(WaitUntil([&] {
    return first.Got("event: record\ndata: {\"wind_speed\":1.5}\n\n") &&
           second.Got("event: record\ndata: {\"wind_speed\":1.5}\n\n");
  }));
  EXPECT_EQ(server.Streams(), 2u);
}

// A browser asks for a dozen files and answers; each new connection would cost it a round trip.
TEST(WebServerStreams, AnswersKeepTheConnectionOpenAndARequestBodyIsRefused) {
  WebServer server({"127.0.0.1", FreePort(), false}, NothingButJson());
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  RawClient client(server.Port(), "/first");
  ASSERT_TRUE(WaitUntil([&] { return client.Got("{\"ok\":true}"); })) << client.Read();
  client.Send("GET /second HTTP/1.1\r\nHost: test\r\n\r\n");
  ASSERT_TRUE(WaitUntil([&] { return client.Count("HTTP/1.1 200") == 2; })) << client.Read();
  EXPECT_FALSE(client.Got("Connection: close")) << client.Read();

  RawClient body(server.Port(), "/with-body HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello GET /x");
  ASSERT_TRUE(WaitUntil([&] { return body.Got("has no body"); })) << body.Read();
  EXPECT_EQ(body.Read().rfind("HTTP/1.1 400", 0), 0u) << body.Read();
}

TEST(WebServerStreams, AClientThatDoesNotReadIsDroppedAndTheOthersGoOn) {
  WebServer::Limits limits;
  limits.streamBuffer = 128 * 1024;
  limits.timeoutSeconds = 1;
  WebServer server({"127.0.0.1", FreePort(), false}, NothingButJson(), limits);
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  RawClient stuck(server.Port(), "/api/events", 4096);
  RawClient reader(server.Port(), "/api/events");
  ASSERT_TRUE(WaitUntil([&] { return server.Streams() == 2; }));
  const QByteArray payload(60000, 'x');
  int sent = 0;
  std::size_t mostWaiting = 0;
  // Far more than the socket buffers hold; what waits for the stuck client stays bounded, and
  // its connection goes.
  EXPECT_TRUE(WaitUntil([&] {
    server.Broadcast("record", payload);
    ++sent;
    mostWaiting = std::max(mostWaiting, server.Waiting());
    reader.Read();
    return server.Streams() == 1;
  }));
  EXPECT_LE(mostWaiting, 2 * limits.streamBuffer);
  server.Broadcast("record", "last");
  EXPECT_TRUE(WaitUntil([&] { return reader.Got("data: last\n\n"); }));
  EXPECT_GT(sent, 4);
}

TEST(WebServerStreams, AnIdleConnectionIsClosedAtItsTimeoutNotBefore) {
  WebServer::Limits limits;
  limits.timeoutSeconds = 1;
  WebServer server({"127.0.0.1", FreePort(), false}, NothingButJson(), limits);
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  QElapsedTimer opened;
  opened.start();
  const int idle = IdleConnection(server.Port(), "127.0.0.1");
  EXPECT_TRUE(WaitUntil([&] { return ClosedByServer(idle); }));
  EXPECT_GE(opened.elapsed(), 900);
  close(idle);
  RawClient after(server.Port(), "/api/current");
  EXPECT_TRUE(WaitUntil([&] { return after.Got("{\"ok\":true}"); }));
}

}  // namespace
