#include "archive_tool/report_fields.h"

#include <ctime>

#include "archive/civil_time.h"
#include "core/direction_sector.h"

namespace {

std::string TwoDigits(unsigned value) {
  return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

}  // namespace

std::string LocalDateText(std::int64_t localSeconds) {
  const SystemTime t = CivilFromSeconds(localSeconds);
  return std::to_string(t.Year) + '-' + TwoDigits(t.Month) + '-' + TwoDigits(t.Day);
}

std::int64_t LocalSecondsOfUtc(std::int64_t utc) {
  const auto time = static_cast<std::time_t>(utc);
  std::tm fields{};
  if (localtime_r(&time, &fields) == nullptr) return utc;
  return utc + fields.tm_gmtoff;
}

std::string LocalClockText(std::int64_t utc) {
  const SystemTime t = CivilFromSeconds(LocalSecondsOfUtc(utc));
  return TwoDigits(t.Hour) + ':' + TwoDigits(t.Minute);
}

std::string LocalIsoText(std::int64_t utc) { return LocalSecondsIsoText(LocalSecondsOfUtc(utc)); }

std::string LocalSecondsIsoText(std::int64_t localSeconds) {
  const SystemTime t = CivilFromSeconds(localSeconds);
  return LocalDateText(localSeconds) + 'T' + TwoDigits(t.Hour) + ':' + TwoDigits(t.Minute) + ':' +
         TwoDigits(t.Second);
}

std::string DominantDirection(const WindSummary& summary) {
  const std::optional<double> degrees = VectorMeanDirection(summary);
  return degrees ? SectorName(SectorOfDegrees(*degrees)) : "---";
}
