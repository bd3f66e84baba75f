#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "archive_tool/wind_units.h"

class StationArchive;

// Takes the next piece of output; false when it could not be written, which ends the export.
using ExportSink = std::function<bool(std::string_view)>;

// The station's records whose local time lies in [fromLocal, toLocal) in the live log's format
// (files/csv_format.h): the header, then one row per record. In m/s every value prints exactly
// as the live log printed it, from the six decimals the archive keeps; other units change the
// speed columns and their titles. The number of rows, or nothing when a write failed.
std::optional<std::int64_t> ExportRecords(StationArchive& archive, std::int32_t station,
                                          std::int64_t fromLocal, std::int64_t toLocal,
                                          const WindUnits& units, const ExportSink& sink);
