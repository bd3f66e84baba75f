#include "archive_tool/station_records.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "archive/station_archive.h"
#include "archive_tool/report_fields.h"
#include "core/c_format.h"

namespace {

// Ahead of every year this program can meet, either way.
constexpr std::int64_t kAllTime = std::int64_t{1} << 40;

void KeepIf(Extreme& extreme, bool higher, double value, std::int64_t day,
            std::optional<std::int64_t> utc) {
  if (extreme.known && (higher ? value <= extreme.value : value >= extreme.value)) return;
  extreme = {true, value, day, utc};
}

void AddDay(PeriodExtremes& p, const PeriodSummary& day) {
  const WindSummary& s = day.summary;
  KeepIf(p.highestGust, true, FromMillionths(s.gustMax), day.start, s.gustMaxTime);
  KeepIf(p.highestMeanSpeed, true, MeanSpeed(s), day.start, std::nullopt);
  KeepIf(p.greatestWindRun, true, s.windRun, day.start, std::nullopt);
  KeepIf(p.lowestTemperature, false, FromMillionths(s.temperatureMin), day.start,
         s.temperatureMinTime);
  KeepIf(p.lowestWindChill, false, FromMillionths(s.windChillMin), day.start, s.windChillMinTime);
}

struct Kind {
  const char* key;    // csv and json
  const char* title;  // text
  Extreme PeriodExtremes::*member;
  enum { Speed, Run, Temperature } unit;
};

constexpr Kind kKinds[] = {
    {"highest_gust", "Highest gust", &PeriodExtremes::highestGust, Kind::Speed},
    {"highest_daily_mean_speed", "Highest daily mean speed", &PeriodExtremes::highestMeanSpeed,
     Kind::Speed},
    {"greatest_daily_wind_run", "Greatest daily wind run", &PeriodExtremes::greatestWindRun,
     Kind::Run},
    {"lowest_temperature", "Lowest temperature", &PeriodExtremes::lowestTemperature,
     Kind::Temperature},
    {"lowest_wind_chill", "Lowest wind chill", &PeriodExtremes::lowestWindChill, Kind::Temperature},
};

double InUnits(const Kind& kind, double value, const WindUnits& units) {
  if (kind.unit == Kind::Speed) return units.Speed(value);
  if (kind.unit == Kind::Run) return units.Run(value);
  return value;
}

std::string UnitName(const Kind& kind, const WindUnits& units) {
  if (kind.unit == Kind::Speed) return units.SpeedName();
  if (kind.unit == Kind::Run) return units.RunName();
  return "\xC2\xB0"
         "C";
}

// The date and, where known, the local time.
std::string When(const Extreme& e) {
  if (!e.utc) return LocalDateText(e.day);
  return LocalDateText(LocalSecondsOfUtc(*e.utc)) + ' ' + LocalIsoText(*e.utc).substr(11);
}

}  // namespace

std::vector<PeriodExtremes> FindStationExtremes(StationArchive& archive, std::int32_t station) {
  std::vector<PeriodExtremes> periods{{"all", {}, {}, {}, {}, {}}};
  for (const PeriodSummary& day :
       archive.Summaries(station, Resolution::Day, -kAllTime, kAllTime)) {
    if (day.summary.count == 0) continue;
    const std::string year = LocalDateText(day.start).substr(0, 4);
    if (periods.back().period != year) periods.push_back({year, {}, {}, {}, {}, {}});
    AddDay(periods.front(), day);
    AddDay(periods.back(), day);
  }
  if (periods.size() == 1) periods.clear();  // no records at all
  return periods;
}

std::string ExtremesText(const std::string& station, const std::vector<PeriodExtremes>& periods,
                         const WindUnits& units) {
  std::string text = "STATION RECORDS: " + station + "\nUNITS: wind speed " + units.SpeedName() +
                     ", wind run " + units.RunName() +
                     ", temperature \xC2\xB0"
                     "C\n";
  if (periods.empty()) return text + "\nNo records in the archive.\n";
  for (const PeriodExtremes& p : periods) {
    text += '\n' + (p.period == "all" ? std::string("ALL TIME") : p.period) + '\n';
    for (const Kind& kind : kKinds) {
      const Extreme& e = p.*kind.member;
      std::string title = std::string("  ") + kind.title;
      title.resize(28, ' ');
      text +=
          title + FormatFixed(InUnits(kind, e.value, units), 8, 1) + ' ' + UnitName(kind, units);
      text += "  " + When(e) + '\n';
    }
  }
  return text;
}

std::string ExtremesCsv(const std::vector<PeriodExtremes>& periods, const WindUnits& units) {
  std::string text = "period,record,value,unit,date,time\n";
  for (const PeriodExtremes& p : periods) {
    for (const Kind& kind : kKinds) {
      const Extreme& e = p.*kind.member;
      const std::string when = When(e);
      text += p.period + ',' + kind.key + ',' + FormatFixed(InUnits(kind, e.value, units), 0, 3) +
              ',' + UnitName(kind, units) + ',' + when.substr(0, 10) + ',' +
              (when.size() > 10 ? when.substr(11) : std::string()) + '\n';
    }
  }
  return text;
}

std::string ExtremesJson(const std::string& station, const std::vector<PeriodExtremes>& periods,
                         const WindUnits& units) {
  QJsonArray list;
  for (const PeriodExtremes& p : periods) {
    QJsonObject period;
    period[QStringLiteral("period")] = QString::fromStdString(p.period);
    for (const Kind& kind : kKinds) {
      const Extreme& e = p.*kind.member;
      QJsonObject value;
      value[QStringLiteral("value")] = std::round(InUnits(kind, e.value, units) * 1000.0) / 1000.0;
      value[QStringLiteral("unit")] = QString::fromStdString(UnitName(kind, units));
      value[QStringLiteral("date")] = QString::fromStdString(When(e).substr(0, 10));
      if (e.utc) value[QStringLiteral("time")] = QString::fromStdString(LocalIsoText(*e.utc));
      period[QString::fromLatin1(kind.key)] = value;
    }
    list.append(period);
  }
  const QJsonObject root{{QStringLiteral("station"), QString::fromStdString(station)},
                         {QStringLiteral("periods"), list}};
  return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}
