#pragma once

#include <string_view>

#include "archive/stored_record.h"

// The logger's ISO log (--log-format iso), read back: UTF-8, LF, a header of field names, then
//   2026-12-07T11:45:03+01:00,3.2,6.5,ENE,67.5,-4.5,-7,-9.25,2,4
// The time carries its offset, so the record's UTC time is exact, even in the hour the clocks go
// back. The numbers are the shortest that read back as the logger's floats, so the archive gets
// the same millionths as from the live log.

// The header line without its line end.
inline constexpr std::string_view kIsoLogHeader =
    "time,wind_speed,wind_gust,wind_direction,wind_direction_deg,temperature,wind_chill,"
    "wind_chill_gust,beaufort,beaufort_gust";

// One line (without its line end) into a record: false when it is not a row of the format, or a
// value is missing (the logger leaves out what is not a number, which the archive cannot keep).
// A missing direction is no direction.
bool ParseIsoLogRow(std::string_view line, StoredRecord& record);
