#pragma once

#include <string>

#include "core/record_consumer.h"
#include "files/csv_format.h"
#include "logger/status_lines.h"

// --verbose: every record as a status line, in the CSV log's format.
class RecordPrinter : public RecordConsumer {
 public:
  explicit RecordPrinter(StatusLines& status) : status_(status) {}

  void TakeRecord(const MeasurementRecord& record, const RecordContext&) override {
    std::string row = CsvRowLine(record);
    row.resize(row.size() - 2);  // without CR LF
    status_.Always("record " + row);
  }

 private:
  StatusLines& status_;
};
