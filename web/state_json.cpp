#include "web/state_json.h"

#include <QDate>
#include <QDateTime>
#include <QJsonDocument>
#include <QTime>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "core/direction_sector.h"

namespace {

constexpr double kDegreesPerSector = 22.5;

// The float's shortest decimal form as a double, so that 3.2f is published as 3.2 and not as
// 3.2000000476837158.
double ShortestDouble(float value) {
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text - 1, value);
  *written.ptr = '\0';
  return std::strtod(text, nullptr);
}

void PutIfFinite(QJsonObject& object, const char* key, float value) {
  if (std::isfinite(value)) object.insert(QLatin1String(key), ShortestDouble(value));
}

}  // namespace

// "2026-12-07T11:45:03+01:00": the record's local time and the offset the zone had then.
QString LocalIsoTime(const SystemTime& time) {
  return IsoTimeWithOffset(QDateTime(QDate(time.Year, time.Month, time.Day),
                                     QTime(time.Hour, time.Minute, time.Second), Qt::LocalTime));
}

QString IsoTimeWithOffset(const QDateTime& local) {
  const int offset = local.offsetFromUtc();
  const int minutes = std::abs(offset) / 60;
  return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
         QStringLiteral("%1%2:%3")
             .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
             .arg(minutes / 60, 2, 10, QLatin1Char('0'))
             .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QJsonObject StateObject(const MeasurementRecord& record) {
  QJsonObject state;
  state.insert(QLatin1String("time"), LocalIsoTime(record.Time));
  PutIfFinite(state, "wind_speed", record.AvgSpeed);
  PutIfFinite(state, "wind_gust", record.GustSpeed);
  state.insert(QLatin1String("wind_direction"), QLatin1String(SectorName(record.Sector)));
  if (record.Sector >= 0 && record.Sector < kSectorCount) {
    state.insert(QLatin1String("wind_direction_deg"), record.Sector * kDegreesPerSector);
  }
  PutIfFinite(state, "temperature", record.Temperature);
  PutIfFinite(state, "wind_chill", record.WindChillAvg);
  PutIfFinite(state, "wind_chill_gust", record.WindChillGust);
  PutIfFinite(state, "beaufort", record.BeaufortAvg);
  PutIfFinite(state, "beaufort_gust", record.BeaufortGust);
  return state;
}

QByteArray StateJson(const MeasurementRecord& record) {
  return QJsonDocument(StateObject(record)).toJson(QJsonDocument::Compact);
}
