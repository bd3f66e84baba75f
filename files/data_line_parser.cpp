#include "files/data_line_parser.h"

#include <cmath>
#include <cstdint>
#include <span>

#include "core/direction_sector.h"
#include "files/c_scanner.h"

namespace {

constexpr std::size_t kTokenWidth = 10;

// "%hu" fields joined by one separator character ("%hu.%hu", "%hu:%hu:%hu"): the number of
// values read before the first failure.
std::size_t ScanUnsignedShorts(std::string_view token, char separator,
                               std::span<std::uint16_t> values) {
  CScanner scanner(token);
  std::size_t count = 0;
  for (; count < values.size(); ++count) {
    if (count > 0 && !scanner.Literal(separator)) break;
    if (!scanner.UnsignedShort(values[count])) break;
  }
  return count;
}

}  // namespace

int ScanDataLineItems(std::string_view line, DataLineItems& items) {
  CScanner scanner(line, /*commasAreSpaces=*/true);
  int count = 0;
  if (!scanner.String(kTokenWidth, items.date)) return count;
  ++count;
  if (!scanner.String(kTokenWidth, items.year)) return count;
  ++count;
  if (!scanner.String(kTokenWidth, items.time)) return count;
  ++count;
  for (float& value : items.values) {
    if (!scanner.Float(value)) return count;
    ++count;
  }
  if (!scanner.String(kTokenWidth, items.direction)) return count;
  return ++count;
}

ReadOutcome ParseDataLine(std::string_view line, MeasurementRecord& record) {
  line = line.substr(0, line.find('\0'));

  DataLineItems items;
  if (ScanDataLineItems(line, items) != DataLineItems::kCount) {
    return ReadOutcome::IncorrectLineFormat;
  }
  // No infinity or NaN ever enters a record from a file.
  for (float value : items.values) {
    if (!std::isfinite(value)) return ReadOutcome::IncorrectLineFormat;
  }

  std::uint16_t dayMonth[2] = {};
  std::uint16_t year[1] = {};
  std::uint16_t hourMinuteSecond[3] = {};
  if (ScanUnsignedShorts(items.date, '.', dayMonth) != 2 ||
      ScanUnsignedShorts(items.year, '\0', year) != 1 ||
      ScanUnsignedShorts(items.time, ':', hourMinuteSecond) != 3) {
    return ReadOutcome::IncorrectDateFormat;
  }

  const DirectionSector sector = SectorFromName(items.direction);
  if (sector < 0 || sector >= kSectorCount) return ReadOutcome::UnknownDirection;

  MeasurementRecord parsed;
  parsed.Time.Day = dayMonth[0];
  parsed.Time.Month = dayMonth[1];
  parsed.Time.Year = year[0];
  parsed.Time.Hour = hourMinuteSecond[0];
  parsed.Time.Minute = hourMinuteSecond[1];
  parsed.Time.Second = hourMinuteSecond[2];
  parsed.AvgSpeed = items.values[0];
  parsed.GustSpeed = items.values[1];
  parsed.Temperature = items.values[2];
  parsed.WindChillAvg = items.values[3];
  parsed.WindChillGust = items.values[4];
  parsed.BeaufortAvg = items.values[5];
  parsed.BeaufortGust = items.values[6];
  parsed.Sector = sector;
  record = parsed;
  return ReadOutcome::Ok;
}
