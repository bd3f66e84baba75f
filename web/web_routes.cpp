#include "web/web_routes.h"

#include <QDateTime>

#include "archive/archive_error.h"
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
  if (std::optional<WebResponse> page = PageFile(path, acceptLanguage)) return *page;
  return ErrorResponse(404, QStringLiteral("No such page."));
}
