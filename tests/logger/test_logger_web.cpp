// The logger's web server, against the program on the simulator: the API agrees with the log and
// with the archive tool, bad requests are refused with a reason, the metrics pass Prometheus'
// linter, hostile requests leave the logger logging, and the event stream carries the records.
#include <curl/curl.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "tests/logger/logger_test_support.h"
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

TEST_F(LoggerWeb, HostileRequestsAreRefusedAndTheLoggerKeepsLogging) {
  const Reply climbing = Request(port_, "/../../etc/passwd");
  EXPECT_EQ(climbing.status, 404);
  EXPECT_EQ(climbing.body.find("root:"), std::string::npos);
  EXPECT_EQ(Request(port_, "/%2e%2e/%2e%2e/etc/passwd").status, 404);
  const Reply huge = Request(port_, "/api/current", "X-Filler: " + std::string(100000, 'a'));
  EXPECT_TRUE(huge.status == 0 || huge.status >= 400) << huge.status;
  const qsizetype rows = CsvDataRows(log_);
  EXPECT_TRUE(WaitUntil([&] { return CsvDataRows(log_) >= rows + 3; }))
      << logger_->Errors().toStdString();
  EXPECT_EQ(Request(port_, "/api/current").status, 200);
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

}  // namespace
