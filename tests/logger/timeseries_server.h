#pragma once

#include <curl/curl.h>

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimeZone>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "core/direction_sector.h"
#include "tests/logger/logger_test_support.h"

// A record as the tests compare it: its key (UTC second, place among the records of that second)
// and its values with six decimals, the direction as its angle.
using RecordRows = std::map<std::pair<qint64, int>, std::string>;

inline std::string RowText(const double (&values)[7], const QString& degrees) {
  std::string text;
  char number[40];
  for (const double value : values) {
    std::snprintf(number, sizeof number, "%.6f ", value);
    text += number;
  }
  return text + degrees.toStdString();
}

inline QString DegreesOfSector(DirectionSector sector) {
  return sector < kSectorCount ? QString::number(sector * 22.5) : QStringLiteral("none");
}

// The rows of a live CSV log written with TZ=UTC, keyed as the archive keys them.
inline RecordRows CsvRecords(const QString& file) {
  static const QRegularExpression time(
      QStringLiteral(R"(^(\d+)\.(\d+) (\d{4}) (\d\d):(\d\d):(\d\d)$)"));
  QFile log(file);
  log.open(QIODevice::ReadOnly);
  RecordRows rows;
  std::map<qint64, int> perSecond;
  for (const QByteArray& line : log.readAll().split('\n')) {
    if (line.trimmed().isEmpty() || line[0] == '"') continue;
    const QStringList f = QString::fromLatin1(line).split(u',');
    const auto m = time.match(f[0].trimmed());
    if (f.size() != 9 || !m.hasMatch()) return {};
    const QDateTime utc(QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt()),
                        QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt()),
                        Qt::UTC);
    double values[7];
    for (int i = 0; i < 7; ++i) values[i] = f[i + 1].trimmed().toDouble();
    const qint64 seconds = utc.toSecsSinceEpoch();
    rows[{seconds, perSecond[seconds]++}] =
        RowText(values, DegreesOfSector(SectorFromName(f[8].trimmed().toStdString())));
  }
  return rows;
}

// An HTTP request with a bound; the answer's body, empty when none came.
inline std::string Http(const std::string& url, const std::string& post = {},
                        long* status = nullptr) {
  CURL* curl = curl_easy_init();
  std::string body;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  if (!post.empty()) curl_easy_setopt(curl, CURLOPT_POSTFIELDS, post.c_str());
  curl_easy_setopt(
      curl, CURLOPT_WRITEFUNCTION, +[](char* data, size_t size, size_t count, void* out) {
        static_cast<std::string*>(out)->append(data, size * count);
        return size * count;
      });
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  const CURLcode result = curl_easy_perform(curl);
  long code = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
  curl_easy_cleanup(curl);
  if (status != nullptr) *status = result == CURLE_OK ? code : 0;
  return result == CURLE_OK ? body : std::string();
}

inline std::string Escaped(const char* text) {
  char* escaped = curl_easy_escape(nullptr, text, 0);
  std::string result = escaped;
  curl_free(escaped);
  return result;
}

// A VictoriaMetrics or InfluxDB 1.x server of the test's own on 127.0.0.1, its data in a
// temporary folder that outlives a stop, so it can be started again with what it holds.
class TimeSeriesServer {
 public:
  enum class Kind { Victoria, Influx };

  explicit TimeSeriesServer(Kind kind) : kind_(kind), port_(FreePort()) {}
  ~TimeSeriesServer() { Stop(); }

  Kind Type() const { return kind_; }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }

  // Returns once it answers.
  bool Start() {
    const QString data = dir_.filePath(QStringLiteral("data"));
    if (kind_ == Kind::Victoria) {
      server_ = std::make_unique<Program>(
          VICTORIA_METRICS,
          QStringList{QStringLiteral("-httpListenAddr=127.0.0.1:%1").arg(port_),
                      QStringLiteral("-storageDataPath=") + data,
                      // One point per series and millisecond, as InfluxDB keeps it.
                      QStringLiteral("-dedup.minScrapeInterval=1ms"),
                      QStringLiteral("-search.latencyOffset=0s"),
                      QStringLiteral("-loggerLevel=ERROR")});
    } else {
      const QString config = dir_.filePath(QStringLiteral("influxdb.conf"));
      QFile file(config);
      file.open(QIODevice::WriteOnly);
      file.write(
          QStringLiteral("reporting-disabled = true\n"
                         "bind-address = \"127.0.0.1:%1\"\n"
                         "[meta]\n  dir = \"%2/meta\"\n"
                         "[data]\n  dir = \"%2/data\"\n  wal-dir = \"%2/wal\"\n"
                         "  query-log-enabled = false\n"
                         "[http]\n  bind-address = \"127.0.0.1:%3\"\n  log-enabled = false\n")
              .arg(FreePort())
              .arg(data)
              .arg(port_)
              .toUtf8());
      file.close();
      server_ = std::make_unique<Program>(
          INFLUXD, QStringList{QStringLiteral("run"), QStringLiteral("-config"), config});
    }
    const std::string health = Base() + (kind_ == Kind::Victoria ? "/health" : "/ping");
    return WaitUntil([&] {
      long status = 0;
      Http(health, {}, &status);
      return status == 200 || status == 204;
    });
  }
  void Stop() {
    if (server_) server_->Terminate();
    server_.reset();
  }

  bool CreateDatabase(const char* name) {
    long status = 0;
    Http(Base() + "/query", std::string("q=CREATE+DATABASE+") + name, &status);
    return status == 200;
  }

  // Every point of measurement wind and station, keyed and written as CsvRecords does.
  RecordRows Records(const char* db, const char* station) {
    return kind_ == Kind::Victoria ? SettledVictoriaRecords(station) : InfluxRecords(db, station);
  }

  // Write requests the server has answered (InfluxDB only).
  int WriteRequests() {
    const QJsonObject vars =
        QJsonDocument::fromJson(QByteArray::fromStdString(Http(Base() + "/debug/vars"))).object();
    for (auto it = vars.begin(); it != vars.end(); ++it) {
      if (it.key().startsWith(QLatin1String("httpd"))) {
        return it.value()[QLatin1String("values")][QLatin1String("writeReq")].toInt(-1);
      }
    }
    return -1;
  }

 private:
  static constexpr const char* kFields[7] = {"wind_speed",   "wind_gust",       "temperature",
                                             "wind_chill",   "wind_chill_gust", "beaufort",
                                             "beaufort_gust"};

  // VictoriaMetrics makes new series searchable a moment after it took their points, even after
  // a flush, more so on a busy machine: the answer counts once two in a row agree and hold points.
  RecordRows SettledVictoriaRecords(const char* station) {
    RecordRows previous = VictoriaRecords(station);
    RecordRows current;
    WaitUntil(
        [&] {
          current = VictoriaRecords(station);
          const bool settled = !current.empty() && current == previous;
          previous = current;
          return settled;
        },
        20);
    return current;
  }

  RecordRows VictoriaRecords(const char* station) {
    Http(Base() + "/internal/force_flush");
    const std::string body = Http(
        Base() + "/api/v1/export",
        "match[]=" +
            Escaped(("{__name__=~\"wind_.*\",station=\"" + std::string(station) + "\"}").c_str()));
    // key -> field -> values (more than one would be a point written twice)
    std::map<std::pair<qint64, int>, std::map<QString, QJsonArray>> points;
    for (const QByteArray& line : QByteArray::fromStdString(body).split('\n')) {
      const QJsonObject series = QJsonDocument::fromJson(line).object();
      if (series.isEmpty()) continue;
      const QJsonObject metric = series[QLatin1String("metric")].toObject();
      const QString field = metric[QLatin1String("__name__")].toString().mid(5);
      const int seq = metric[QLatin1String("seq")].toString(QStringLiteral("0")).toInt();
      const QJsonArray values = series[QLatin1String("values")].toArray();
      const QJsonArray times = series[QLatin1String("timestamps")].toArray();
      for (qsizetype i = 0; i < times.size(); ++i) {
        points[{times[i].toInteger() / 1000, seq}][field].append(values[i]);
      }
    }
    RecordRows rows;
    for (const auto& [key, fields] : points) {
      double values[7];
      bool single = true;
      for (int i = 0; i < 7; ++i) {
        const QJsonArray found = fields.contains(QLatin1String(kFields[i]))
                                     ? fields.at(QLatin1String(kFields[i]))
                                     : QJsonArray{};
        single = single && found.size() == 1;
        values[i] = found.isEmpty() ? NAN : found[0].toDouble();
      }
      const auto degrees = fields.find(QStringLiteral("wind_direction_deg"));
      rows[key] = single ? RowText(values, degrees == fields.end()
                                               ? QStringLiteral("none")
                                               : QString::number(degrees->second[0].toDouble()))
                         : "written more than once";
    }
    return rows;
  }

  RecordRows InfluxRecords(const char* db, const char* station) {
    const std::string query = std::string("SELECT * FROM wind WHERE station='") + station + "'";
    const QJsonObject answer =
        QJsonDocument::fromJson(QByteArray::fromStdString(Http(Base() + "/query?epoch=s&db=" + db +
                                                               "&q=" + Escaped(query.c_str()))))
            .object();
    const QJsonObject series =
        answer[QLatin1String("results")][0][QLatin1String("series")][0].toObject();
    const QJsonArray columns = series[QLatin1String("columns")].toArray();
    const auto column = [&](const char* name) {
      for (qsizetype i = 0; i < columns.size(); ++i) {
        if (columns[i].toString() == QLatin1String(name)) return static_cast<int>(i);
      }
      return -1;
    };
    RecordRows rows;
    for (const QJsonValue& row : series[QLatin1String("values")].toArray()) {
      const QJsonArray v = row.toArray();
      double values[7];
      for (int i = 0; i < 7; ++i) values[i] = v[column(kFields[i])].toDouble(NAN);
      // The name and the angle must tell the same direction.
      const DirectionSector sector =
          SectorFromName(v[column("wind_direction")].toString().toStdString());
      QString degrees = DegreesOfSector(sector);
      if (v[column("wind_direction_deg")].toDouble(-1) !=
          (sector < kSectorCount ? sector * 22.5 : -1)) {
        degrees = QStringLiteral("name and angle differ");
      }
      const int seq = v[column("seq")].isNull() ? 0 : v[column("seq")].toString().toInt();
      rows[{v[0].toInteger(), seq}] = RowText(values, degrees);
    }
    return rows;
  }

  QTemporaryDir dir_;
  Kind kind_;
  int port_;
  std::unique_ptr<Program> server_;
};

// A Prometheus server of the test's own on 127.0.0.1 scraping one target's /metrics every second.
class PrometheusServer {
 public:
  explicit PrometheusServer(int targetPort) : port_(FreePort()) {
    QFile file(dir_.filePath(QStringLiteral("prometheus.yml")));
    file.open(QIODevice::WriteOnly);
    file.write(QStringLiteral("global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\n"
                              "scrape_configs:\n  - job_name: logger\n"
                              "    static_configs:\n      - targets: ['127.0.0.1:%1']\n")
                   .arg(targetPort)
                   .toUtf8());
  }
  ~PrometheusServer() { Stop(); }

  // Returns once it is ready to answer queries.
  bool Start() {
    server_ = std::make_unique<Program>(
        PROMETHEUS,
        QStringList{
            QStringLiteral("--config.file=") + dir_.filePath(QStringLiteral("prometheus.yml")),
            QStringLiteral("--storage.tsdb.path=") + dir_.filePath(QStringLiteral("data")),
            QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(port_),
            QStringLiteral("--log.level=warn")});
    return WaitUntil([&] {
      long status = 0;
      Http(Base() + "/-/ready", {}, &status);
      return status == 200;
    });
  }
  int Stop() {
    const int status = server_ ? server_->Terminate() : 0;
    server_.reset();
    return status;
  }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }
  QString Errors() { return server_ ? server_->Errors() : QString(); }

  // The series an instant query finds (data.result); empty on any failure.
  QJsonArray Query(const char* query) {
    const QJsonObject answer =
        QJsonDocument::fromJson(
            QByteArray::fromStdString(Http(Base() + "/api/v1/query?query=" + Escaped(query))))
            .object();
    return answer[QLatin1String("data")][QLatin1String("result")].toArray();
  }

 private:
  QTemporaryDir dir_;
  int port_;
  std::unique_ptr<Program> server_;
};
