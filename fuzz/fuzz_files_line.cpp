// The data-file line parser on arbitrary bytes: no crash, and every accepted line gives a record
// within its ranges that survives being written out and read back unchanged.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "core/date_time_text.h"
#include "files/csv_format.h"
#include "files/data_line_parser.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// A date or time token longer than 10 characters would be split when read back.
bool TokensFit(const SystemTime& time) {
  std::istringstream tokens(DateTimeText(time));
  std::string token;
  while (tokens >> token) {
    if (token.size() > 10) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  MeasurementRecord record;
  if (ParseDataLine(line, record) != ReadOutcome::Ok) return 0;

  Check(record.Sector >= 0 && record.Sector <= 15);
  Check(record.SectorAccumulator == 0);
  Check(record.Time.DayOfWeek == 0 && record.Time.Millisecond == 0);
  for (float value : {record.AvgSpeed, record.GustSpeed, record.Temperature, record.WindChillAvg,
                      record.WindChillGust, record.BeaufortAvg, record.BeaufortGust}) {
    Check(std::isfinite(value));
  }

  if (TokensFit(record.Time)) {
    const std::string written = CsvRowLine(record);
    MeasurementRecord reread;
    Check(ParseDataLine(written, reread) == ReadOutcome::Ok);
    Check(CsvRowLine(reread) == written);
  }
  return 0;
}
