#pragma once

#include <filesystem>
#include <string>

#include "file_outcomes.h"
#include "measurement_record.h"
#include "record_store.h"
#include "system_time.h"

// The PDF report of every record, oldest first: A4 landscape pages, a title, the creation line
// and the column header on the first page (45 rows), 50 rows on each further page. now is the
// local time read once after the user chose the file; it is the creation line and both document
// dates, so it must be a valid calendar time. On CannotCreate and BuildFailed no file is touched;
// SaveFailed may leave a partial file, as the PDF library writes it.
PdfOutcome WritePdfReport(const std::filesystem::path& file, const RecordStore& records,
                          const SystemTime& now);

// One row of the report: "%s,%10f,%28f,%19f,%12f,%22f,%20f,%20f,%14s\n" with the date and time
// text, the seven values and the direction name.
std::string PdfRowText(const MeasurementRecord& record);
