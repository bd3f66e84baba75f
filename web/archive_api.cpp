#include "web/archive_api.h"

#include <QDateTime>
#include <QJsonArray>
#include <QTimeZone>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "archive/civil_time.h"
#include "archive/station_archive.h"
#include "archive/summary_rows.h"
#include "archive_tool/climate_report.h"
#include "archive_tool/station_records.h"
#include "archive_tool/time_arguments.h"
#include "core/direction_sector.h"
#include "web/state_json.h"

namespace {

constexpr std::int64_t kDay = 86400;

// A parameter the request should not have, or nothing.
std::optional<WebResponse> Unknown(const QueryParameters& query,
                                   std::initializer_list<const char*> known) {
  for (const auto& [name, value] : query) {
    bool listed = false;
    for (const char* k : known) listed = listed || name == k;
    if (!listed) {
      return ErrorResponse(
          400, QStringLiteral("Unknown parameter '%1'.").arg(QString::fromStdString(name)));
    }
  }
  return std::nullopt;
}

std::string Value(const QueryParameters& query, const char* name) {
  const auto found = query.find(name);
  return found == query.end() ? std::string() : found->second;
}

struct Range {
  std::int64_t from = 0;
  std::int64_t to = 0;
};

// from and to, by default the day up to now.
std::variant<Range, WebResponse> RangeOf(const QueryParameters& query, std::int64_t now) {
  Range range{now - kDay, now};
  for (const char* name : {"from", "to"}) {
    if (!query.contains(name)) continue;
    const bool isTo = name[0] == 't';
    const std::optional<std::int64_t> seconds = LocalSecondsFromIso(Value(query, name), isTo);
    if (!seconds) {
      return ErrorResponse(
          400, QStringLiteral("Bad %1 '%2': give YYYY-MM-DD or "
                              "YYYY-MM-DDTHH:MM[:SS], local time.")
                   .arg(QLatin1String(name), QString::fromStdString(Value(query, name))));
    }
    (isTo ? range.to : range.from) = *seconds;
  }
  if (!query.contains("from") && query.contains("to")) range.from = range.to - kDay;
  if (range.from >= range.to)
    return ErrorResponse(400, QStringLiteral("from must come before to."));
  return range;
}

// The finest resolution that keeps the range to the most points.
std::optional<Resolution> FinestWithin(const Range& range) {
  for (Resolution resolution : kResolutions) {
    if ((range.to - range.from) / Seconds(resolution) <= ArchiveApi::kMostPoints) return resolution;
  }
  return std::nullopt;
}

const char* NameOf(Resolution resolution) {
  switch (resolution) {
    case Resolution::Minute:
      return "minute";
    case Resolution::Hour:
      return "hour";
    case Resolution::Day:
      return "day";
  }
  return "";
}

QJsonValue Number(std::optional<double> value) {
  return value ? QJsonValue(std::round(*value * 1000.0) / 1000.0) : QJsonValue();
}

QString IsoOfLocal(std::int64_t localSeconds) {
  return LocalIsoTime(CivilFromSeconds(localSeconds));
}

// The ISO texts of ascending local times, as LocalIsoTime gives them. Each of those asks the C
// library, which reads the zone file's status every time: for a year of days that cost several
// times the archive's query. Here the zone is asked once per stretch without a change of offset;
// within two days of a change each time is converted one by one.
class LocalIsoTexts {
 public:
  void Append(std::string& json, std::int64_t local) {
    if (local < from_ || local >= until_) Look(local);
    if (oneByOne_) {
      json += LocalIsoTime(CivilFromSeconds(local)).toStdString();
      return;
    }
    const SystemTime t = CivilFromSeconds(local);
    const int minutes = std::abs(offset_) / 60;
    char text[32];
    char* at = Digits(text, t.Year, 4);
    *at++ = '-';
    at = Digits(at, t.Month, 2);
    *at++ = '-';
    at = Digits(at, t.Day, 2);
    *at++ = 'T';
    at = Digits(at, t.Hour, 2);
    *at++ = ':';
    at = Digits(at, t.Minute, 2);
    *at++ = ':';
    at = Digits(at, t.Second, 2);
    *at++ = offset_ < 0 ? '-' : '+';
    at = Digits(at, static_cast<unsigned>(minutes / 60), 2);
    *at++ = ':';
    at = Digits(at, static_cast<unsigned>(minutes % 60), 2);
    json.append(text, at);
  }

 private:
  static constexpr std::int64_t kMargin = 2 * kDay;

  void Look(std::int64_t local) {
    const SystemTime t = CivilFromSeconds(local);
    const QDateTime at(QDate(t.Year, t.Month, t.Day), QTime(t.Hour, t.Minute, t.Second),
                       Qt::LocalTime);
    const QTimeZone zone = QTimeZone::systemTimeZone();
    offset_ = at.offsetFromUtc();
    from_ = local;
    oneByOne_ = true;
    until_ = local + kDay;
    if (!zone.isValid() || zone.offsetFromUtc(at) != offset_) {
      until_ = std::numeric_limits<std::int64_t>::max();  // two views of the zone: trust libc's
      return;
    }
    const QTimeZone::OffsetData previous = zone.previousTransition(at);
    const QTimeZone::OffsetData next = zone.nextTransition(at);
    const auto localOf = [](const QTimeZone::OffsetData& change, std::int64_t fallback) {
      return change.atUtc.isValid() ? change.atUtc.toSecsSinceEpoch() + change.offsetFromUtc
                                    : fallback;
    };
    const std::int64_t stableFrom =
        localOf(previous, std::numeric_limits<std::int64_t>::min() + kMargin) + kMargin;
    const std::int64_t stableUntil =
        localOf(next, std::numeric_limits<std::int64_t>::max() - kMargin) - kMargin;
    if (local >= stableFrom && local < stableUntil) {
      oneByOne_ = false;
      until_ = stableUntil;
    }
  }

  static char* Digits(char* at, unsigned value, int width) {
    for (int i = width - 1; i >= 0; --i) {
      at[i] = static_cast<char>('0' + value % 10);
      value /= 10;
    }
    return at + width;
  }

  std::int64_t from_ = 0;
  std::int64_t until_ = 0;
  int offset_ = 0;
  bool oneByOne_ = true;
};

// A number rounded as Number rounds it, in its shortest form: thousandths as digits, which is
// what a JSON reader makes the same double of, and a fraction of std::to_chars's cost.
void AppendNumber(std::string& json, std::optional<double> value) {
  if (!value || !std::isfinite(*value)) {
    json += "null";
    return;
  }
  char text[32];
  const double thousandths = std::round(*value * 1000.0);
  if (std::abs(thousandths) >= 1e15) {
    json.append(text, std::to_chars(text, text + sizeof text, thousandths / 1000.0).ptr);
    return;
  }
  auto whole = static_cast<std::int64_t>(thousandths);
  char* at = text + sizeof text;
  const bool negative = whole < 0;
  if (negative) whole = -whole;
  int fraction = static_cast<int>(whole % 1000);
  whole /= 1000;
  if (fraction != 0) {
    int digits = 3;
    while (fraction % 10 == 0) {
      fraction /= 10;
      --digits;
    }
    for (int i = 0; i < digits; ++i, fraction /= 10) *--at = static_cast<char>('0' + fraction % 10);
    *--at = '.';
  }
  do {
    *--at = static_cast<char>('0' + whole % 10);
    whole /= 10;
  } while (whole != 0);
  if (negative) *--at = '-';
  json.append(at, text + sizeof text);
}

QJsonObject RangeObject(const Range& range, Resolution resolution) {
  return {{QStringLiteral("from"), IsoOfLocal(range.from)},
          {QStringLiteral("to"), IsoOfLocal(range.to)},
          {QStringLiteral("step"), QLatin1String(NameOf(resolution))}};
}

}  // namespace

WebResponse ArchiveApi::History(const QueryParameters& query) {
  if (auto bad = Unknown(query, {"from", "to", "step"})) return *bad;
  auto ranged = RangeOf(query, nowLocal);
  if (auto* bad = std::get_if<WebResponse>(&ranged)) return *bad;
  const Range range = std::get<Range>(ranged);
  // A plain value and a flag rather than an optional: GCC 12 sees the optional's value as
  // possibly uninitialized here.
  const std::optional<Resolution> finest = FinestWithin(range);
  bool chosen = finest.has_value();
  Resolution resolution = finest.value_or(Resolution::Day);
  if (query.contains("step")) {
    const std::string step = Value(query, "step");
    chosen = false;
    for (Resolution r : kResolutions) {
      if (step == NameOf(r)) {
        resolution = r;
        chosen = true;
      }
    }
    if (!chosen) {
      return ErrorResponse(400, QStringLiteral("Bad step '%1': give minute, hour or day.")
                                    .arg(QString::fromStdString(step)));
    }
  }
  if (!chosen || (range.to - range.from) / Seconds(resolution) > kMostPoints) {
    return ErrorResponse(400, QStringLiteral("The range has more than %1 points: give a shorter "
                                             "range or a longer step.")
                                  .arg(kMostPoints));
  }
  // Written as text into one buffer: a QJsonObject per point cost several times the archive's
  // query, and QByteArray's appends of literals still about half of it.
  std::string json =
      QJsonDocument(RangeObject(range, resolution)).toJson(QJsonDocument::Compact).toStdString();
  json.pop_back();
  json += ",\"points\":[";
  const std::size_t first = json.size();
  if (const std::optional<std::int32_t> id = archive.FindStation(station)) {
    LocalIsoTexts times;
    const std::vector<PeriodSummary> periods =
        archive.Summaries(*id, resolution, range.from, range.to);
    json.reserve(first + periods.size() * 200);
    for (const PeriodSummary& period : periods) {
      const WindSummary& s = period.summary;
      if (json.size() > first) json += ',';
      json += "{\"time\":\"";
      times.Append(json, period.start);
      json += "\",\"records\":";
      json += std::to_string(s.count);
      const std::pair<std::string_view, std::optional<double>> fields[] = {
          {",\"mean_speed\":", MeanSpeed(s)},
          {",\"min_speed\":", FromMillionths(s.speedMin)},
          {",\"max_speed\":", FromMillionths(s.speedMax)},
          {",\"max_gust\":", FromMillionths(s.gustMax)},
          {",\"min_temperature\":", FromMillionths(s.temperatureMin)},
          {",\"max_temperature\":", FromMillionths(s.temperatureMax)},
          {",\"mean_temperature\":", MeanTemperature(s)},
          {",\"direction_deg\":", VectorMeanDirection(s)},
      };
      for (const auto& [name, value] : fields) {
        json += name;
        AppendNumber(json, value);
      }
      json += '}';
    }
  }
  json += "]}";
  return JsonBody(QByteArray(json.data(), static_cast<qsizetype>(json.size())));
}

WebResponse ArchiveApi::Rose(const QueryParameters& query) {
  if (auto bad = Unknown(query, {"from", "to"})) return *bad;
  auto ranged = RangeOf(query, nowLocal);
  if (auto* bad = std::get_if<WebResponse>(&ranged)) return *bad;
  const Range range = std::get<Range>(ranged);
  // Whole days beyond the day summaries' reach would only lose the ends of the range.
  const Resolution resolution = FinestWithin(range).value_or(Resolution::Day);
  WindSummary total;
  if (const std::optional<std::int32_t> id = archive.FindStation(station)) {
    for (const PeriodSummary& period : archive.Summaries(*id, resolution, range.from, range.to)) {
      Merge(total, period.summary);
    }
  }
  QJsonArray sectors;
  for (DirectionSector sector = 0; sector < kSectorCount; ++sector) {
    const auto i = static_cast<std::size_t>(sector);
    sectors.append(QJsonObject{
        {QStringLiteral("sector"), QLatin1String(SectorName(sector))},
        {QStringLiteral("direction_deg"), sector * 22.5},
        {QStringLiteral("count"), static_cast<qint64>(total.sectorCount[i])},
        {QStringLiteral("wind_run"), Number(total.sectorRun[i])},
    });
  }
  QJsonObject answer = RangeObject(range, resolution);
  answer.insert(QStringLiteral("records"), static_cast<qint64>(total.count));
  answer.insert(QStringLiteral("calm"), static_cast<qint64>(total.calmCount));
  answer.insert(QStringLiteral("sectors"), sectors);
  return JsonResponse(answer);
}

WebResponse ArchiveApi::DaySummary(const QueryParameters& query) {
  if (auto bad = Unknown(query, {"date"})) return *bad;
  const std::string date = Value(query, "date");
  const std::optional<std::int64_t> start =
      date.size() == 10 ? LocalSecondsFromIso(date, false) : std::nullopt;
  if (!start) {
    return ErrorResponse(
        400, QStringLiteral("Bad date '%1': give YYYY-MM-DD.").arg(QString::fromStdString(date)));
  }
  const std::optional<std::int32_t> id = archive.FindStation(station);
  const ClimateReport report = BuildClimateReport(archive, id.value_or(-1), station, date,
                                                  LocalSpan{*start, *start + kDay}, false);
  return JsonBody(QByteArray::fromStdString(ClimateReportJson(report, {})));
}

WebResponse ArchiveApi::MonthSummary(const QueryParameters& query) {
  if (auto bad = Unknown(query, {"month"})) return *bad;
  const std::string month = Value(query, "month");
  const std::optional<LocalSpan> span = MonthSpan(month);
  if (!span) {
    return ErrorResponse(
        400, QStringLiteral("Bad month '%1': give YYYY-MM.").arg(QString::fromStdString(month)));
  }
  const std::optional<std::int32_t> id = archive.FindStation(station);
  const ClimateReport report =
      BuildClimateReport(archive, id.value_or(-1), station, month, *span, false);
  return JsonBody(QByteArray::fromStdString(ClimateReportJson(report, {})));
}

WebResponse ArchiveApi::Records(const QueryParameters& query) {
  if (auto bad = Unknown(query, {})) return *bad;
  const std::optional<std::int32_t> id = archive.FindStation(station);
  const std::vector<PeriodExtremes> extremes =
      id ? FindStationExtremes(archive, *id) : std::vector<PeriodExtremes>();
  return JsonBody(QByteArray::fromStdString(ExtremesJson(station, extremes, {})));
}
