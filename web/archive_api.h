#pragma once

#include <cstdint>
#include <string>

#include "web/web_response.h"

class StationArchive;

// The answers the web API reads from the station archive, on the thread that writes it. Times in
// parameters are local (YYYY-MM-DD, YYYY-MM-DDTHH:MM[:SS]); a bad one gives 400 with the reason.
struct ArchiveApi {
  StationArchive& archive;
  std::string station;
  std::int64_t nowLocal;  // local seconds: where a range ends by default

  // Points of mean speed, highest gust, temperatures and vector-mean direction from the minute,
  // hour or day summaries: step, or the finest that keeps the answer to kMostPoints points.
  WebResponse History(const QueryParameters& query);
  // Count and wind run of the 16 compass sectors over a range.
  WebResponse Rose(const QueryParameters& query);
  // The archive tool's climate report of one day or one month.
  WebResponse DaySummary(const QueryParameters& query);
  WebResponse MonthSummary(const QueryParameters& query);
  // The station's all-time and yearly extremes, as the archive tool gives them.
  WebResponse Records(const QueryParameters& query);

  static constexpr std::int64_t kMostPoints = 1500;
};
