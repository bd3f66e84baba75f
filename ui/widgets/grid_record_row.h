#pragma once

#include <array>
#include <string>

#include "core/direction_sector.h"
#include "core/system_time.h"

// One record row of the data grid, kept as the record's values instead of its nine texts:
// date and time, average and gust speed, temperature, wind chill average and gust, Beaufort
// average and gust, direction. A grid of many thousand rows formats only the rows it shows.
struct GridRecordRow {
  static constexpr int kColumns = 9;

  SystemTime Time;
  DirectionSector Sector = kNoDirection;
  // Columns 1..7 in order.
  std::array<float, 7> Values{};

  // The text of a column as the grid shows it: DateTimeText, "%2.2f", SectorName; empty for a
  // column past the last.
  std::string Text(int col) const;
};
