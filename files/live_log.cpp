#include "files/live_log.h"

#include <cstdio>
#include <utility>

#include "files/csv_format.h"

namespace {

// The write and the flush together: with a buffered stream a full disk shows only at the flush.
bool WriteAndFlush(std::FILE* stream, const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size() &&
         std::fflush(stream) == 0;
}

}  // namespace

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
  bool notRegular = false;
  CFile stream = OpenRegularCFileForWriting(file, &notRegular, append);
  if (notRegular) return FileOutcome::CannotWrite;
  if (!stream) return FileOutcome::CannotOpen;
  bool withHeader = true;
  if (append) {
    // Where an append stream starts before its first write is the runtime's choice: ask the end.
    if (std::fseek(stream.get(), 0, SEEK_END) != 0) return FileOutcome::CannotWrite;
    withHeader = std::ftell(stream.get()) == 0;
  }

  // Not shared yet, so the header is written and flushed before the lock is taken: a log that
  // cannot hold its header never goes on.
  if (withHeader && !WriteAndFlush(stream.get(), format_.header())) {
    return FileOutcome::CannotWrite;
  }

  std::lock_guard lock(dataLock_);
  stream_ = std::move(stream);
  fileName_ = std::move(displayName);
  return FileOutcome::Ok;
}

void LiveLog::Close() {
  std::lock_guard lock(dataLock_);
  stream_.reset();
}

FileOutcome LiveLog::WriteRow(const MeasurementRecord& record) {
  const std::string line = format_.row(record);
  std::lock_guard lock(dataLock_);
  if (!stream_) return FileOutcome::Ok;
  if (WriteAndFlush(stream_.get(), line)) return FileOutcome::Ok;
  stream_.reset();
  return FileOutcome::CannotWrite;
}
