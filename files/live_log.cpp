#include "files/live_log.h"

#include <utility>

#include "files/csv_format.h"

FileOutcome LiveLog::Open(const std::filesystem::path& file, std::string displayName) {
  return SwitchOn(file, std::move(displayName), /*append=*/false);
}

FileOutcome LiveLog::Append(const std::filesystem::path& file, std::string displayName) {
  return SwitchOn(file, std::move(displayName), /*append=*/true);
}

FileOutcome LiveLog::SwitchOn(const std::filesystem::path& file, std::string displayName,
                              bool append) {
  Close();
  // Rows are appended one by one, so the log cannot be replaced all at once like a saved file;
  // it is at least never a pipe or a device that would block capture or swallow the rows.
  auto rows = std::make_unique<RowFile>();
  const FileOutcome opened = rows->Open(file, /*empty=*/!append);
  if (opened != FileOutcome::Ok) return opened;

  // Not shared yet, so the header is written before the lock is taken: a log that cannot hold
  // its header never goes on.
  if (rows->WasEmpty() && !rows->AppendWhole(format_.header())) return FileOutcome::CannotWrite;

  std::lock_guard lock(dataLock_);
  rows_ = std::move(rows);
  fileName_ = std::move(displayName);
  return FileOutcome::Ok;
}

void LiveLog::Close() {
  std::unique_ptr<RowFile> closing;
  std::lock_guard lock(dataLock_);
  closing = std::move(rows_);
}

FileOutcome LiveLog::WriteRow(const MeasurementRecord& record) {
  const std::string line = format_.row(record);
  std::lock_guard lock(dataLock_);
  if (!rows_) return FileOutcome::Ok;
  if (rows_->AppendWhole(line)) return FileOutcome::Ok;
  rows_.reset();
  return FileOutcome::CannotWrite;
}
