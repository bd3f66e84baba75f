#include "files/csv_format.h"

#include "core/c_format.h"
#include "core/date_time_text.h"
#include "core/direction_sector.h"

namespace {

constexpr char kLineEnd[] = "\r\n";

void AppendField(std::string& out, double value) {
  out += ',';
  out += FormatFixed(value, 10, 6);
}

}  // namespace

std::string CsvHeaderLine() {
  // \xB0 is the degree sign of Windows-1250; the titles are otherwise plain ASCII.
  return "\"Datum a cas\",\"Rychlost vetru prumer [m/s]\",\"Naraz vetru [m/s]\","
         "\"Teplota [\xB0"
         "C]\",\"Wind chill prumer [\xB0"
         "C]\",\"Wind chill naraz [\xB0"
         "C]\","
         "\"Beaufort prumer [-]\",\"Beaufort naraz [-]\",\"Smer vetru [-]\"" +
         std::string(kLineEnd);
}

void AppendCsvRowLine(std::string& out, const SystemTime& time, const std::array<double, 7>& values,
                      std::int32_t sector) {
  out += PadLeft(DateTimeText(time), 20);
  for (const double value : values) AppendField(out, value);
  out += ',';
  out += PadLeft(SectorName(sector), 10);
  out += kLineEnd;
}

void AppendCsvRowLine(std::string& out, const MeasurementRecord& record) {
  // A float is exact as a double, so these print exactly as the floats themselves would.
  const std::array<double, 7> values{record.AvgSpeed,     record.GustSpeed,     record.Temperature,
                                     record.WindChillAvg, record.WindChillGust, record.BeaufortAvg,
                                     record.BeaufortGust};
  AppendCsvRowLine(out, record.Time, values, record.Sector);
}

std::string CsvRowLine(const MeasurementRecord& record) {
  std::string line;
  AppendCsvRowLine(line, record);
  return line;
}
