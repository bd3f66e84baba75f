#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/record_consumer.h"
#include "core/system_time.h"
#include "files/live_log.h"

class StatusLines;

// The file name for a record's date: %Y (four digits), %m and %d (two digits) are the date,
// %% is a percent sign; anything else stays as it is.
QString DatedFileName(const QString& pattern, const SystemTime& date);

// The logger's CSV log: every record is appended to the file that the pattern names for the
// record's local date, so a pattern with the date starts a new file each day; missing folders
// are made. A file that cannot be opened or written (a full disk) is reported with one status
// line and tried again with the next record: capture goes on. The rows lost meanwhile are
// counted, and one line says how many and from when to when once writing works again.
class DatedLog : public RecordConsumer {
 public:
  DatedLog(QString pattern, LiveLog& log, StatusLines& status)
      : pattern_(std::move(pattern)), log_(log), status_(status) {}

  void Write(const MeasurementRecord& record);
  void TakeRecord(const MeasurementRecord& record, const RecordContext&) override { Write(record); }

  // Closes the file; the next record opens it again by its name, a new file when the old one
  // was moved away (log rotation).
  void Reopen();

 private:
  // Year, month and day: all a file name depends on.
  using Date = std::array<std::uint16_t, 3>;

  const QString pattern_;
  LiveLog& log_;
  StatusLines& status_;
  QString current_;  // the file the log has open, empty when none
  // The name for the last record's date, kept so that it is made once a day, not per record.
  QString name_;
  std::optional<Date> nameDate_;
  // Rows lost since writing last worked, with the first and last of them.
  std::uint64_t lost_ = 0;
  SystemTime firstLost_{};
  SystemTime lastLost_{};

  void Lose(const MeasurementRecord& record, const std::string& fault);
  void Written(const QString& name);
};
