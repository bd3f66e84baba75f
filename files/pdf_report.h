#pragma once

#include <filesystem>
#include <string>

#include "core/measurement_record.h"
#include "core/record_store.h"
#include "core/system_time.h"
#include "files/file_calls.h"
#include "files/file_outcomes.h"

// The PDF report of every record, oldest first: A4 landscape pages, a title, the creation line
// and the column header on the first page (45 rows), 50 rows on each further page. now is the
// local time read once after the user chose the file; it is the creation line and both document
// dates, so it must be a valid calendar time. The document is built in memory and replaces the
// file all or nothing (atomic_file.h): on every outcome but Ok the file is as it was. SaveFailed
// also when the file exists but is not a regular file.
PdfOutcome WritePdfReport(const std::filesystem::path& file, const RecordStore& records,
                          const SystemTime& now, FileCalls& calls = SystemFileCalls());

// One row of the report: "%s,%10f,%28f,%19f,%12f,%22f,%20f,%20f,%14s\n" with the date and time
// text, the seven values and the direction name.
std::string PdfRowText(const MeasurementRecord& record);
