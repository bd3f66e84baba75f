#include "ui/widgets/grid_record_row.h"

#include <cstddef>

#include "core/c_format.h"
#include "core/date_time_text.h"

std::string GridRecordRow::Text(int col) const {
  if (col == 0) return DateTimeText(Time);
  if (col >= 1 && col <= 7) return FormatFixed(Values[static_cast<std::size_t>(col - 1)], 2, 2);
  if (col == 8) return SectorName(Sector);
  return {};
}
