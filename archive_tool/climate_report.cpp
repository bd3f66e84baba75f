#include "archive_tool/climate_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <array>
#include <cmath>

#include "archive/civil_time.h"
#include "archive/station_archive.h"
#include "archive_tool/report_fields.h"
#include "core/c_format.h"
#include "core/direction_sector.h"

namespace {

constexpr std::array<const char*, 12> kMonthNames = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                     "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// The values of a row in the report's units.
struct RowValues {
  double meanSpeed;
  double highGust;
  double windRun;
  double meanTemperature;
  double highTemperature;
  double lowTemperature;
  double lowWindChill;
};

RowValues ValuesOf(const WindSummary& s, const WindUnits& units) {
  return {units.Speed(MeanSpeed(s)),
          units.Speed(FromMillionths(s.gustMax)),
          units.Run(s.windRun),
          MeanTemperature(s),
          FromMillionths(s.temperatureMax),
          FromMillionths(s.temperatureMin),
          FromMillionths(s.windChillMin)};
}

constexpr std::array<int, 10> kWidths = {5, 6, 7, 12, 7, 8, 7, 7, 7, 7};

// The label left-aligned, every other column right-aligned in its width.
std::string Columns(const std::array<std::string, 10>& cells) {
  std::string line = cells[0];
  line.resize(static_cast<std::size_t>(kWidths[0]), ' ');
  for (std::size_t i = 1; i < cells.size(); ++i) {
    line += PadLeft(cells[i], static_cast<std::size_t>(kWidths[i]));
  }
  return line + '\n';
}

std::string TextLine(const std::string& label, const WindSummary& s, const WindUnits& units,
                     bool gustDay) {
  const RowValues v = ValuesOf(s, units);
  std::string time = LocalClockText(s.gustMaxTime);
  if (gustDay) time = LocalDateText(LocalSecondsOfUtc(s.gustMaxTime)).substr(8) + ' ' + time;
  return Columns({label, FormatFixed(v.meanSpeed, 0, 1), FormatFixed(v.highGust, 0, 1), time,
                  DominantDirection(s), FormatFixed(v.windRun, 0, 1),
                  FormatFixed(v.meanTemperature, 0, 1), FormatFixed(v.highTemperature, 0, 1),
                  FormatFixed(v.lowTemperature, 0, 1), FormatFixed(v.lowWindChill, 0, 1)});
}

double Rounded(double value) { return std::round(value * 1000.0) / 1000.0; }

QJsonObject JsonRow(const std::string& period, const WindSummary& s, const WindUnits& units) {
  const RowValues v = ValuesOf(s, units);
  QJsonObject row;
  row[QStringLiteral("period")] = QString::fromStdString(period);
  row[QStringLiteral("records")] = static_cast<qint64>(s.count);
  row[QStringLiteral("mean_speed")] = Rounded(v.meanSpeed);
  row[QStringLiteral("high_gust")] = Rounded(v.highGust);
  row[QStringLiteral("high_gust_time")] = QString::fromStdString(LocalIsoText(s.gustMaxTime));
  row[QStringLiteral("high_gust_direction")] =
      s.count > 0 && s.gustMaxSector >= 0 && s.gustMaxSector < kSectorCount
          ? QJsonValue(QLatin1String(SectorName(s.gustMaxSector)))
          : QJsonValue();
  const std::optional<double> degrees = VectorMeanDirection(s);
  row[QStringLiteral("dominant_direction")] =
      degrees ? QJsonValue(QString::fromStdString(DominantDirection(s))) : QJsonValue();
  row[QStringLiteral("dominant_direction_deg")] =
      degrees ? QJsonValue(Rounded(*degrees)) : QJsonValue();
  row[QStringLiteral("wind_run")] = Rounded(v.windRun);
  row[QStringLiteral("mean_temperature")] = Rounded(v.meanTemperature);
  row[QStringLiteral("high_temperature")] = Rounded(v.highTemperature);
  row[QStringLiteral("low_temperature")] = Rounded(v.lowTemperature);
  row[QStringLiteral("low_wind_chill")] = Rounded(v.lowWindChill);
  return row;
}

std::string CsvRow(const std::string& period, const WindSummary& s, const WindUnits& units) {
  const RowValues v = ValuesOf(s, units);
  const std::optional<double> degrees = VectorMeanDirection(s);
  return period + ',' + std::to_string(s.count) + ',' + FormatFixed(v.meanSpeed, 0, 3) + ',' +
         FormatFixed(v.highGust, 0, 3) + ',' + LocalIsoText(s.gustMaxTime) + ',' +
         (degrees ? DominantDirection(s) : std::string()) + ',' +
         (degrees ? FormatFixed(*degrees, 0, 1) : std::string()) + ',' +
         FormatFixed(v.windRun, 0, 3) + ',' + FormatFixed(v.meanTemperature, 0, 3) + ',' +
         FormatFixed(v.highTemperature, 0, 3) + ',' + FormatFixed(v.lowTemperature, 0, 3) + ',' +
         FormatFixed(v.lowWindChill, 0, 3) + '\n';
}

std::string UnitToken(const WindUnits& units) {
  std::string name = units.SpeedName();
  std::string token;
  for (char c : name) {
    if (c != '/') token += c;
  }
  return token;
}

}  // namespace

ClimateReport BuildClimateReport(StationArchive& archive, std::int32_t station,
                                 const std::string& stationName, const std::string& period,
                                 const LocalSpan& span, bool yearly) {
  ClimateReport report;
  report.station = stationName;
  report.period = period;
  report.yearly = yearly;
  for (const PeriodSummary& day : archive.Summaries(station, Resolution::Day, span.from, span.to)) {
    Merge(report.total, day.summary);
    if (!yearly) {
      report.rows.push_back({LocalDateText(day.start), day.start, day.summary});
      continue;
    }
    const std::string month = LocalDateText(day.start).substr(0, 7);
    if (report.rows.empty() || report.rows.back().period != month) {
      report.rows.push_back({month, day.start, {}});
    }
    Merge(report.rows.back().summary, day.summary);
  }
  return report;
}

std::string ClimateReportText(const ClimateReport& report, const WindUnits& units) {
  std::string title;
  if (report.yearly) {
    title = "ANNUAL CLIMATOLOGICAL SUMMARY for " + report.period;
  } else {
    const SystemTime month = CivilFromSeconds(MonthSpan(report.period)->from);
    title = std::string("MONTHLY CLIMATOLOGICAL SUMMARY for ") + kMonthNames[month.Month - 1] +
            ". " + std::to_string(month.Year);
  }
  const std::string rule(73, '-');  // the columns' widths
  std::string text = "                " + title + "\n\nSTATION: " + report.station +
                     "\nUNITS: wind speed " + units.SpeedName() + ", wind run " + units.RunName() +
                     ", temperature \xC2\xB0"
                     "C\n\n";
  text += Columns({"", "MEAN", "HIGH", "", "DOM", "WIND", "MEAN", "", "", "LOW"});
  text +=
      Columns({report.yearly ? "MO" : "DAY", "WIND", "GUST", report.yearly ? "DATE TIME" : "TIME",
               "DIR", "RUN", "TEMP", "HIGH", "LOW", "CHILL"});
  text += rule + '\n';
  for (const ClimateRow& row : report.rows) {
    const std::string label = report.yearly ? kMonthNames[CivilFromSeconds(row.start).Month - 1]
                                            : std::to_string(CivilFromSeconds(row.start).Day);
    text += TextLine(PadLeft(label, 3), row.summary, units, report.yearly);
  }
  text += rule + '\n';
  if (report.total.count > 0)
    text += TextLine("", report.total, units, true);
  else
    text += "No records in this period.\n";
  return text;
}

std::string ClimateReportCsv(const ClimateReport& report, const WindUnits& units) {
  const std::string unit = UnitToken(units);
  const std::string run = units.RunName();
  std::string text = "period,records,mean_speed_" + unit + ",high_gust_" + unit +
                     ",high_gust_time,dominant_direction,dominant_direction_deg,wind_run_" + run +
                     ",mean_temperature_c,high_temperature_c,low_temperature_c,low_wind_chill_c\n";
  for (const ClimateRow& row : report.rows) text += CsvRow(row.period, row.summary, units);
  if (report.total.count > 0) text += CsvRow(report.period, report.total, units);
  return text;
}

std::string ClimateReportJson(const ClimateReport& report, const WindUnits& units) {
  QJsonObject root;
  root[QStringLiteral("station")] = QString::fromStdString(report.station);
  root[QStringLiteral("period")] = QString::fromStdString(report.period);
  root[QStringLiteral("units")] =
      QJsonObject{{QStringLiteral("speed"), QString::fromLatin1(units.SpeedName())},
                  {QStringLiteral("wind_run"), QString::fromLatin1(units.RunName())},
                  {QStringLiteral("temperature"), QStringLiteral("\u00B0C")}};
  QJsonArray rows;
  for (const ClimateRow& row : report.rows) rows.append(JsonRow(row.period, row.summary, units));
  root[report.yearly ? QStringLiteral("months") : QStringLiteral("days")] = rows;
  root[QStringLiteral("total")] = report.total.count > 0
                                      ? QJsonValue(JsonRow(report.period, report.total, units))
                                      : QJsonValue();
  return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}
