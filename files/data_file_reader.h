#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>

#include "files/file_outcomes.h"
#include "core/measurement_record.h"

using RecordCallback = std::function<void(const MeasurementRecord&)>;

// Reads a data file: the first line is skipped whole, then every line piece (line_piece_reader.h)
// must parse as a record (data_line_parser.h) and is handed to onRecord at once, in file order.
// Stops at the first bad piece or read error; records handed over before it stay with the
// caller. The end of the file is Ok, also for an empty or header-only file. CannotOpen also for
// what is not a regular file (a directory, a pipe, a device or a link to one).
ReadOutcome ReadDataFile(const std::filesystem::path& file, const RecordCallback& onRecord);

// The same on an open stream, which is left open.
ReadOutcome ReadDataStream(std::FILE* stream, const RecordCallback& onRecord);
