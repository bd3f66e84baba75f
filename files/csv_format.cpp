#include "files/csv_format.h"

#include "core/c_format.h"
#include "core/date_time_text.h"
#include "core/direction_sector.h"

namespace {

constexpr char kLineEnd[] = "\r\n";

void AppendField(std::string& out, float value) {
  out += ',';
  out += FormatFixed(static_cast<double>(value), 10, 6);
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

void AppendCsvRowLine(std::string& out, const MeasurementRecord& record) {
  out += PadLeft(DateTimeText(record.Time), 20);
  AppendField(out, record.AvgSpeed);
  AppendField(out, record.GustSpeed);
  AppendField(out, record.Temperature);
  AppendField(out, record.WindChillAvg);
  AppendField(out, record.WindChillGust);
  AppendField(out, record.BeaufortAvg);
  AppendField(out, record.BeaufortGust);
  out += ',';
  out += PadLeft(SectorName(record.Sector), 10);
  out += kLineEnd;
}

std::string CsvRowLine(const MeasurementRecord& record) {
  std::string line;
  AppendCsvRowLine(line, record);
  return line;
}
