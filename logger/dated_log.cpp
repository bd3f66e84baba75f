#include "logger/dated_log.h"

#include <QFile>
#include <filesystem>
#include <system_error>

#include "core/date_time_text.h"
#include "files/file_outcomes.h"
#include "logger/status_lines.h"

QString DatedFileName(const QString& pattern, const SystemTime& date) {
  QString name;
  for (qsizetype i = 0; i < pattern.size(); ++i) {
    const QChar c = pattern[i];
    if (c != u'%' || i + 1 == pattern.size()) {
      name += c;
      continue;
    }
    const QChar field = pattern[++i];
    if (field == u'Y') {
      name += QStringLiteral("%1").arg(date.Year, 4, 10, QLatin1Char('0'));
    } else if (field == u'm') {
      name += QStringLiteral("%1").arg(date.Month, 2, 10, QLatin1Char('0'));
    } else if (field == u'd') {
      name += QStringLiteral("%1").arg(date.Day, 2, 10, QLatin1Char('0'));
    } else if (field == u'%') {
      name += u'%';
    } else {
      name += c;
      name += field;
    }
  }
  return name;
}

void DatedLog::Write(const MeasurementRecord& record) {
  const Date date{record.Time.Year, record.Time.Month, record.Time.Day};
  if (nameDate_ != date) {
    name_ = DatedFileName(pattern_, record.Time);
    nameDate_ = date;
  }
  const QString& name = name_;
  if (name != current_ || !log_.IsOn()) {
    const bool newFile = name != current_;
    current_.clear();
    const std::filesystem::path file(QFile::encodeName(name).toStdString());
    // A pattern may put the date into folder names (logs/%Y/%m.csv): a new one is made.
    std::error_code ignored;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ignored);
    if (log_.Append(file, name.toStdString()) != FileOutcome::Ok) {
      Lose(record, "cannot open the log file " + name.toStdString());
      return;
    }
    current_ = name;
    if (newFile && lost_ == 0) status_.Say("log", "logging to " + name.toStdString());
  }
  if (log_.WriteRow(record) != FileOutcome::Ok) {
    // The log is off now; the next record opens the file again.
    Lose(record, "cannot write the log file " + name.toStdString());
    return;
  }
  Written(name);
}

void DatedLog::Reopen() {
  log_.Close();
  current_.clear();
}

void DatedLog::Lose(const MeasurementRecord& record, const std::string& fault) {
  if (lost_++ == 0) {
    firstLost_ = record.Time;
    status_.Say("log", fault + "; capture goes on, trying again with the next record");
  }
  lastLost_ = record.Time;
}

void DatedLog::Written(const QString& name) {
  if (lost_ == 0) return;
  const std::string count = lost_ == 1
                                ? "1 row could not be written at " + DateTimeText(firstLost_)
                                : std::to_string(lost_) + " rows could not be written between " +
                                      DateTimeText(firstLost_) + " and " + DateTimeText(lastLost_);
  lost_ = 0;
  status_.Say("log", count + "; logging to " + name.toStdString());
}
