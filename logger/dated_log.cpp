#include "logger/dated_log.h"

#include <QFile>
#include <filesystem>
#include <system_error>

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
    current_.clear();
    const std::filesystem::path file(QFile::encodeName(name).toStdString());
    // A pattern may put the date into folder names (logs/%Y/%m.csv): a new one is made.
    std::error_code ignored;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ignored);
    if (log_.Append(file, name.toStdString()) != FileOutcome::Ok) {
      status_.Say("log", "cannot open the log file " + name.toStdString() +
                             "; capture goes on, trying again with the next record");
      return;
    }
    current_ = name;
    status_.Say("log", "logging to " + name.toStdString());
  }
  if (log_.WriteRow(record) != FileOutcome::Ok) {
    status_.Say("log", "cannot write the log file " + name.toStdString() +
                           "; capture goes on, trying again with the next record");
  }
}
