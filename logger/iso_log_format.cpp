#include "logger/iso_log_format.h"

#include <charconv>
#include <cmath>

#include "core/direction_sector.h"
#include "logger/record_json.h"

namespace {

constexpr float kDegreesPerSector = 22.5f;

// The shortest digits that read back as the same float, never with an exponent: "3.2", not
// "3.2000000476837158" nor "3.2e+00".
void AppendNumber(std::string& line, float value) {
  line += ',';
  if (!std::isfinite(value)) return;
  char text[64];
  const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  if (written.ec == std::errc()) line.append(text, written.ptr);
}

}  // namespace

std::string IsoLogHeaderLine() {
  return "time,wind_speed,wind_gust,wind_direction,wind_direction_deg,temperature,wind_chill,"
         "wind_chill_gust,beaufort,beaufort_gust\n";
}

std::string IsoLogRowLine(const MeasurementRecord& record) {
  std::string line = LocalIsoTime(record.Time).toStdString();
  AppendNumber(line, record.AvgSpeed);
  AppendNumber(line, record.GustSpeed);
  const bool direction = record.Sector >= 0 && record.Sector < kSectorCount;
  line += ',';
  if (direction) line += SectorName(record.Sector);
  AppendNumber(line, direction ? static_cast<float>(record.Sector) * kDegreesPerSector : NAN);
  AppendNumber(line, record.Temperature);
  AppendNumber(line, record.WindChillAvg);
  AppendNumber(line, record.WindChillGust);
  AppendNumber(line, record.BeaufortAvg);
  AppendNumber(line, record.BeaufortGust);
  line += '\n';
  return line;
}
