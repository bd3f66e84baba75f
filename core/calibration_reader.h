#pragma once

#include <istream>
#include <optional>
#include <string_view>

#include "core/calibration.h"

// The reading rules of anemometer.cal, apart from opening the file.

// Lines are read in pieces of at most this many characters, through the newline: a longer line
// counts as several lines.
inline constexpr std::size_t kCalibrationLinePieceLength = 149;

// One line as "%f %f" reads it: the text ends at its first NUL byte; two numbers, the first after
// optional white space, the second after optional white space; the rest is ignored. nullopt when
// that does not give two finite numbers.
std::optional<CalibrationEntry> ParseCalibrationLine(std::string_view line);

// Empties table and appends one entry per line until the end of the stream: 0. -1 on a line
// that is not an entry or a read error; the entries read before it stay in the table.
int ReadCalibration(std::istream& in, CalibrationTable& table);
