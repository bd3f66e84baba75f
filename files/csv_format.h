#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/measurement_record.h"

// The comma-separated format shared by Save and the live log. Bytes are the same on every
// platform: Windows-1250 text, the degree sign as the single byte 0xB0, CR LF after every line.

// The quoted column titles, 187 bytes, then CR LF.
std::string CsvHeaderLine();

// "%20s,%10f,%10f,%10f,%10f,%10f,%10f,%10f,%10s" with the date and time text, the seven values
// and the direction name, then CR LF. Wide numbers widen their field; nothing is cut.
std::string CsvRowLine(const MeasurementRecord& record);

// The same row appended to out, for writers that reuse one buffer.
void AppendCsvRowLine(std::string& out, const MeasurementRecord& record);

// The same row from values held as doubles (the archive's six-decimal values): average and gust
// speed, temperature, the two wind chills, the two Beaufort numbers. The float row goes through
// this too, so a value prints the same whichever way it was kept.
void AppendCsvRowLine(std::string& out, const SystemTime& time, const std::array<double, 7>& values,
                      std::int32_t sector);
