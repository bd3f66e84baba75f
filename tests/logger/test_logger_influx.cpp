// The logger writing to real time-series servers (VictoriaMetrics, InfluxDB 1.x) on loopback:
// what they hold afterwards is exactly the logged records, through outages, refusals and kills.
#include <gtest/gtest.h>

#include <variant>

#include "archive/station_archive.h"
#include "tests/logger/timeseries_server.h"
#include "timeseries/influx_target.h"
#include "timeseries/line_protocol.h"

namespace {

using Kind = TimeSeriesServer::Kind;
constexpr char kStation[] = "test";

struct LoggerRun {
  QTemporaryDir dir;
  QString Log() const { return dir.filePath(QStringLiteral("wind.csv")); }
  QString Archive() const { return dir.filePath(QStringLiteral("archive.sqlite")); }
};

// Local time is UTC, so that the CSV's times are the server's.
Program Logger(const LoggerRun& run, const std::string& url, int httpPort = 0) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
  QStringList arguments{QStringLiteral("--simulate"),   QStringLiteral("--interval=0.2"),
                        QStringLiteral("--config-dir"), run.dir.path(),
                        QStringLiteral("--log"),        run.Log(),
                        QStringLiteral("--archive"),    run.Archive(),
                        QStringLiteral("--station"),    QString::fromLatin1(kStation),
                        QStringLiteral("--influx"),     QString::fromStdString(url)};
  if (httpPort != 0) arguments << QStringLiteral("--http") << QString::number(httpPort);
  return Program(LOGGER_PROGRAM, arguments, environment);
}

// Runs until it has logged at least rows records.
bool LogAtLeast(const LoggerRun& run, qsizetype rows) {
  return WaitUntil([&] { return QFile::exists(run.Log()) && CsvDataRows(run.Log()) >= rows; });
}

struct WriteCase {
  const char* name;
  Kind kind;
  const char* path;  // after the server's address
};

class LoggerWritesTo : public ::testing::TestWithParam<WriteCase> {};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Servers, LoggerWritesTo, ::testing::Values(
    WriteCase{"VictoriaV1", Kind::Victoria, "/write?db=w"},
    WriteCase{"VictoriaV2", Kind::Victoria, "/api/v2/write?org=o&bucket=w"},
    WriteCase{"InfluxV1", Kind::Influx, "/write?db=w"}),
    [](const auto& server) { return std::string(server.param.name); });
// clang-format on

TEST_P(LoggerWritesTo, ExactlyTheLoggedRecords) {
  TimeSeriesServer server(GetParam().kind);
  ASSERT_TRUE(server.Start());
  if (GetParam().kind == Kind::Influx) {
    ASSERT_TRUE(server.CreateDatabase("w"));
  }
  LoggerRun run;
  Program logger = Logger(run, server.Base() + GetParam().path);
  // Five reports a second: records share their second, the seq tag keeps them apart.
  ASSERT_TRUE(LogAtLeast(run, 12));
  ASSERT_EQ(logger.Terminate(), 0) << logger.Errors().toStdString();
  const RecordRows logged = CsvRecords(run.Log());
  ASSERT_GE(logged.size(), 12u);
  EXPECT_EQ(server.Records("w", kStation), logged) << logger.Errors().toStdString();
  EXPECT_TRUE(logger.Errors().contains(QStringLiteral("writing to InfluxDB at")));
}

TEST(LoggerWithInflux, KeepsEveryRecordWhileTheServerIsAwayAndSendsThemWhenItIsBack) {
  for (const Kind kind : {Kind::Influx, Kind::Victoria}) {
    SCOPED_TRACE(kind == Kind::Influx ? "InfluxDB" : "VictoriaMetrics");
    TimeSeriesServer server(kind);
    ASSERT_TRUE(server.Start());
    if (kind == Kind::Influx) {
      ASSERT_TRUE(server.CreateDatabase("w"));
    }
    LoggerRun run;
    Program logger = Logger(run, server.Base() + "/write?db=w");
    ASSERT_TRUE(WaitUntil([&] { return logger.Errors().contains(QStringLiteral("writing to")); }));
    server.Stop();
    const qsizetype before = CsvDataRows(run.Log());
    ASSERT_TRUE(LogAtLeast(run, before + 10));
    ASSERT_TRUE(
        WaitUntil([&] { return logger.Errors().contains(QStringLiteral("cannot write to")); }));
    ASSERT_TRUE(server.Start());
    // Back-off: the next try comes within a few seconds.
    ASSERT_TRUE(
        WaitUntil([&] { return logger.Errors().count(QStringLiteral("writing to")) >= 2; }));
    ASSERT_EQ(logger.Terminate(), 0) << logger.Errors().toStdString();
    EXPECT_EQ(server.Records("w", kStation), CsvRecords(run.Log()))
        << logger.Errors().toStdString();
  }
}

TEST(LoggerWithInflux, AMissingDatabaseIsSaidOnceAndNotRetriedInALoop) {
  TimeSeriesServer server(Kind::Influx);
  ASSERT_TRUE(server.Start());
  LoggerRun run;
  Program logger = Logger(run, server.Base() + "/write?db=missing");
  ASSERT_TRUE(WaitUntil([&] { return logger.Errors().contains(QStringLiteral("refused")); }));
  // Ten reports later the logger is still logging, and has not asked again.
  const qsizetype rows = CsvDataRows(run.Log());
  ASSERT_TRUE(LogAtLeast(run, rows + 10));
  ASSERT_EQ(logger.Terminate(), 0);
  EXPECT_EQ(server.WriteRequests(), 1);
  EXPECT_EQ(logger.Errors().count(QStringLiteral("refused")), 1) << logger.Errors().toStdString();
  EXPECT_TRUE(logger.Errors().contains(QStringLiteral("database not found")))
      << logger.Errors().toStdString();
}

// A day of records at 2 s waits in the archive; the logger is killed while it catches up, and
// started again. The server holds every archived record once.
TEST(LoggerWithInflux, AKillDuringACatchUpLosesAndDoublesNothing) {
  TimeSeriesServer server(Kind::Victoria);
  ASSERT_TRUE(server.Start());
  LoggerRun run;
  const std::string url = server.Base() + "/write?db=w";
  const auto target = ParseInfluxTarget(url, "", nullptr, nullptr);
  ASSERT_TRUE(std::holds_alternative<InfluxTarget>(target));
  const std::string name = std::get<InfluxTarget>(target).DeliveryTarget();
  const qint64 start = QDateTime::currentSecsSinceEpoch() - 50000;
  constexpr int kWaiting = 25000;
  {
    StationArchive archive(run.Archive().toStdString(), StationArchive::Access::Write);
    const std::int32_t station = archive.Station(kStation);
    // One transaction: a report each would cost an fsync each.
    archive.BeginImport();
    for (int i = 0; i < kWaiting; ++i) {
      StoredRecord r;
      r.time = start + 2 * i;
      r.avgSpeed = 1000 * i + 1;
      r.gustSpeed = 2000 * i + 3;
      r.sector = i % 17;
      r.temperature = -5000000 + i;
      archive.Import(station, r);
    }
    archive.CommitImport();
    archive.SetDelivered(station, name, RecordKey{});
  }
  {
    Program logger = Logger(run, url);
    ASSERT_TRUE(WaitUntil([&] { return logger.Errors().contains(QStringLiteral("catching up")); }));
    logger.Signal(SIGKILL);
    logger.Finish();
  }
  const auto mark = [&] {
    StationArchive archive(run.Archive().toStdString(), StationArchive::Access::Read);
    return archive.Delivered(*archive.FindStation(kStation), name).value_or(RecordKey{});
  };
  const qint64 lastWaiting = start + 2 * (kWaiting - 1);
  EXPECT_LT(mark().time, lastWaiting) << "killed after the catch-up";
  Program logger = Logger(run, url);
  ASSERT_TRUE(WaitUntil([&] { return mark().time > lastWaiting; }));
  ASSERT_EQ(logger.Terminate(), 0) << logger.Errors().toStdString();

  RecordRows archived;
  StationArchive archive(run.Archive().toStdString(), StationArchive::Access::Read);
  for (const StoredRecord& r : archive.RecordsAfter(*archive.FindStation(kStation), {}, 1000000)) {
    const double values[7] = {r.avgSpeed / 1e6,     r.gustSpeed / 1e6,     r.temperature / 1e6,
                              r.windChillAvg / 1e6, r.windChillGust / 1e6, r.beaufortAvg / 1e6,
                              r.beaufortGust / 1e6};
    archived[{r.time, r.seq}] = RowText(values, DegreesOfSector(r.sector));
  }
  EXPECT_GT(archived.size(), static_cast<std::size_t>(kWaiting));
  const RecordRows written = server.Records("w", kStation);
  EXPECT_EQ(written.size(), archived.size());
  EXPECT_TRUE(written == archived);
}

// clang-format off
struct UrlCase { const char* url; const char* user; const char* token; const char* expected; };
// expected: the URL written to, or the start of the complaint.
const UrlCase kUrls[] = {
    {"http://h:8086/write?db=w",                      "", nullptr, "http://h:8086/write?db=w&precision=s"},
    {"https://h/x/write?db=w&precision=ns&rp=a",      "", nullptr, "https://h/x/write?db=w&rp=a&precision=s"},
    {"http://h/api/v2/write?org=o&bucket=b",          "", "t",     "http://h/api/v2/write?org=o&bucket=b&precision=s"},
    {"http://h/api/v2/write?bucket=b",                "", "t",     "Bad InfluxDB URL"},
    {"http://h/api/v2/write?org=o&bucket=b",          "u", "t",    "--influx-user is for InfluxDB 1.x"},
    {"http://h:8086/write",                           "", nullptr, "Bad InfluxDB URL"},
    {"http://h:8086/query?db=w",                      "", nullptr, "Bad InfluxDB URL"},
    {"http://u:secret@h:8086/write?db=w",             "", nullptr, "Give no credentials"},
    {"http://h:8086/write?db=w&u=a&p=secret",         "", nullptr, "Give no credentials"},
    {"ftp://h/write?db=w",                            "", nullptr, "Bad InfluxDB URL"},
};
// clang-format on

TEST(InfluxTarget, TheUrlChoosesTheApiAndKeepsCredentialsOut) {
  for (const UrlCase& c : kUrls) {
    const auto target = ParseInfluxTarget(c.url, c.user, "pw", c.token);
    const std::string got = std::holds_alternative<InfluxTarget>(target)
                                ? std::get<InfluxTarget>(target).writeUrl
                                : std::get<std::string>(target);
    EXPECT_EQ(got.rfind(c.expected, 0), 0u) << c.url << " gave " << got;
    if (const auto* t = std::get_if<InfluxTarget>(&target)) {
      EXPECT_EQ(t->api == InfluxTarget::Api::V2, t->token.has_value()) << c.url;
      EXPECT_EQ(t->DeliveryTarget().find("precision"), std::string::npos) << c.url;
    }
  }
}

TEST(LineProtocol, ExactDecimalsEscapedTagsAndASeqTagForLaterRecordsOfASecond) {
  StoredRecord r;
  r.time = 1796677294;
  r.avgSpeed = 3200000;
  r.gustSpeed = 7;
  r.sector = 5;
  r.temperature = -4500001;
  r.windChillAvg = -999999;
  r.beaufortAvg = 2000000;
  std::string body;
  AppendLineProtocol(body, EscapeTagValue("roof, north=1"), r);
  r.seq = 3;
  r.sector = kNoDirection;
  AppendLineProtocol(body, "a", r);
  EXPECT_EQ(body,
            "wind,station=roof\\,\\ north\\=1 wind_speed=3.200000,wind_gust=0.000007,"
            "wind_direction=\"ESE\",wind_direction_deg=112.5,temperature=-4.500001,"
            "wind_chill=-0.999999,wind_chill_gust=0.000000,beaufort=2.000000,"
            "beaufort_gust=0.000000 1796677294\n"
            "wind,station=a,seq=3 wind_speed=3.200000,wind_gust=0.000007,temperature=-4.500001,"
            "wind_chill=-0.999999,wind_chill_gust=0.000000,beaufort=2.000000,"
            "beaufort_gust=0.000000 1796677294\n");
}

}  // namespace
