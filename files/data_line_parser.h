#pragma once

#include <array>
#include <string_view>

#include "core/measurement_record.h"
#include "files/file_outcomes.h"

// The eleven items of a data line, as "%10s %10s %10s %f %f %f %f %f %f %f %10s" reads them
// once every comma has become a space. The tokens point into the scanned line.
struct DataLineItems {
  static constexpr int kCount = 11;
  std::string_view date;          // "%hu.%hu": day and month
  std::string_view year;          // "%hu"
  std::string_view time;          // "%hu:%hu:%hu"
  std::array<float, 7> values{};  // avg, gust, temperature, two wind chills, two Beauforts
  std::string_view direction;     // compass-point name
};

// Number of items converted before the first failure, 0..11; anything after the eleventh item
// is ignored. A "%10s" token is at most 10 non-blank characters, a longer run goes on as the
// next item.
int ScanDataLineItems(std::string_view line, DataLineItems& items);

// One line (or one piece of a long line) of a data file into a record, checked in this order:
// eleven items with finite numbers (IncorrectLineFormat), the date, year and time tokens
// (IncorrectDateFormat), the direction name in any letter case (UnknownDirection). The text
// ends at the first NUL byte, as it does for the C string a line is read into. The record is
// written only on Ok; its day of week and milliseconds are 0 and date values are not checked
// against the calendar.
ReadOutcome ParseDataLine(std::string_view line, MeasurementRecord& record);
