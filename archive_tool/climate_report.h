#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/wind_summary.h"
#include "archive_tool/time_arguments.h"
#include "archive_tool/wind_units.h"

class StationArchive;

// A month's or a year's climatological summary of wind and temperature: one row per day (month
// report) or per month (year report) that has records, and the whole period's row, each merged
// from the archive's day summaries.
struct ClimateRow {
  std::string period;      // "2026-12-07" or "2026-12"
  std::int64_t start = 0;  // local seconds
  WindSummary summary;
};

struct ClimateReport {
  std::string station;
  std::string period;  // "2026-12" or "2026"
  bool yearly = false;
  std::vector<ClimateRow> rows;
  WindSummary total;
};

ClimateReport BuildClimateReport(StationArchive& archive, std::int32_t station,
                                 const std::string& stationName, const std::string& period,
                                 const LocalSpan& span, bool yearly);

// Plain text in the layout of a station's monthly (yearly) climatological summary.
std::string ClimateReportText(const ClimateReport& report, const WindUnits& units);
// A header line, the rows, then the period's row; comma-separated, LF.
std::string ClimateReportCsv(const ClimateReport& report, const WindUnits& units);
std::string ClimateReportJson(const ClimateReport& report, const WindUnits& units);
