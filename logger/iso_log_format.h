#pragma once

#include <string>

#include "core/measurement_record.h"
#include "files/live_log.h"

// The logger's CSV for other tools (--log-format iso), read by pandas, DuckDB, Telegraf, Python's
// csv module or SQLite's .import with their defaults: UTF-8, a header with the field names of the
// MQTT state, the local time in ISO 8601 with its offset, numbers in their shortest decimal form
// with '.', an empty field for a value that is not a number and for no direction, LF after every
// line.
//
//   time,wind_speed,wind_gust,wind_direction,wind_direction_deg,temperature,wind_chill,...
//   2026-12-07T11:45:03+01:00,3.2,6.5,ENE,67.5,-4.5,,...

std::string IsoLogHeaderLine();
std::string IsoLogRowLine(const MeasurementRecord& record);

inline constexpr LiveLog::LineFormat kIsoLogFormat{IsoLogHeaderLine, IsoLogRowLine};
