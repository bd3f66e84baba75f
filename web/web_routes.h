#pragma once

#include <QByteArray>
#include <functional>
#include <string>
#include <string_view>

#include "web/web_response.h"

class LiveStation;
class StationArchive;

// What each path answers: the page, the JSON API and the metrics. Nothing reaches the file
// system; a path not listed is 404.
class WebRoutes {
 public:
  // archive gives the session's open archive, null without one.
  WebRoutes(LiveStation& live, std::function<StationArchive*()> archive, std::string station)
      : live_(live), archive_(std::move(archive)), station_(std::move(station)) {}

  WebResponse Answer(const QByteArray& path, const QueryParameters& query,
                     std::string_view acceptLanguage);

 private:
  // The answers the page would ask for first: current values, the last 24 hours by the minute,
  // today's rose and figures, this month's, the records.
  QByteArray FirstData();

  LiveStation& live_;
  std::function<StationArchive*()> archive_;
  std::string station_;
};
