#include "web/web_routes.h"

#include <QDateTime>
#include <QJsonDocument>
#include <string>
#include <utility>

#include "archive/archive_error.h"
#include "archive_tool/report_fields.h"
#include "web/archive_api.h"
#include "web/live_station.h"
#include "web/metrics_text.h"
#include "web/web_page.h"

namespace {

using ArchiveAnswer = WebResponse (ArchiveApi::*)(const QueryParameters&);

struct ArchiveRoute {
  const char* path;
  ArchiveAnswer answer;
};

// clang-format off
constexpr ArchiveRoute kArchiveRoutes[] = {
    {"/api/history",       &ArchiveApi::History},
    {"/api/rose",          &ArchiveApi::Rose},
    {"/api/summary/day",   &ArchiveApi::DaySummary},
    {"/api/summary/month", &ArchiveApi::MonthSummary},
    {"/api/records",       &ArchiveApi::Records},
};
// clang-format on

std::int64_t NowLocalSeconds() {
  const QDateTime now = QDateTime::currentDateTime();
  return now.toSecsSinceEpoch() + now.offsetFromUtc();
}

}  // namespace

QByteArray WebRoutes::FirstData() {
  QByteArray data = "{\"current\":" + QJsonDocument(live_.Current()).toJson(QJsonDocument::Compact);
  if (StationArchive* archive = archive_()) {
    try {
      const std::int64_t now = NowLocalSeconds();
      ArchiveApi api{*archive, station_, now};
      const std::string today = LocalDateText(now);
      const std::pair<const char*, WebResponse> answers[] = {
          {"history",
           api.History({{"from", LocalSecondsIsoText(now - 86400)}, {"step", "minute"}})},
          {"rose", api.Rose({{"from", today}})},
          {"day", api.DaySummary({{"date", today}})},
          {"month", api.MonthSummary({{"month", today.substr(0, 7)}})},
          {"records", api.Records({})},
      };
      for (const auto& [name, answer] : answers) {
        if (answer.status == 200) data += QByteArray(",\"") + name + "\":" + answer.body;
      }
    } catch (const ArchiveError&) {
      // The page asks for them itself and shows why they cannot be had.
    }
  }
  return data + "}";
}

WebResponse WebRoutes::Answer(const QByteArray& path, const QueryParameters& query,
                              std::string_view acceptLanguage) {
  if (path == "/api/current") return JsonResponse(live_.Current());
  if (path == "/metrics") {
    return {200, "text/plain; version=0.0.4; charset=utf-8", MetricsText(live_), true, {}};
  }
  for (const ArchiveRoute& route : kArchiveRoutes) {
    if (path != route.path) continue;
    StationArchive* archive = archive_();
    if (archive == nullptr) {
      return ErrorResponse(503, QStringLiteral("The logger keeps no archive in this run."));
    }
    try {
      ArchiveApi api{*archive, station_, NowLocalSeconds()};
      return (api.*route.answer)(query);
    } catch (const ArchiveError& error) {
      return ErrorResponse(
          500,
          QStringLiteral("The archive cannot be read: %1").arg(QString::fromUtf8(error.what())));
    }
  }
  if (path == "/") return *PageFile(path, acceptLanguage, FirstData());
  if (std::optional<WebResponse> page = PageFile(path, acceptLanguage, {})) return *page;
  return ErrorResponse(404, QStringLiteral("No such page."));
}
