#include "archive/record_archiver.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "archive/station_archive.h"

RecordArchiver::RecordArchiver(std::filesystem::path file, std::string station, Report report)
    : file_(std::move(file)), station_(std::move(station)), report_(std::move(report)) {}

RecordArchiver::~RecordArchiver() = default;

bool RecordArchiver::Open() {
  // The folder of the default place may not be there yet; a failure shows up as the open's.
  std::error_code ignored;
  std::filesystem::create_directories(file_.parent_path(), ignored);
  try {
    auto archive = std::make_unique<StationArchive>(file_, StationArchive::Access::Write);
    stationId_ = archive->Station(station_);
    archive_ = std::move(archive);
    return true;
  } catch (const ArchiveError& error) {
    report_({Event::Kind::CannotOpen, error.what()});
    return false;
  }
}

void RecordArchiver::BeginReport(std::int32_t) {}

void RecordArchiver::TakeRecord(const MeasurementRecord& record, const RecordContext& context) {
  if (!archive_) return;
  try {
    waiting_.push_back(ToStoredRecord(record, zone_.Place(record.Time), context.MadeUp));
    ++fresh_;
  } catch (const ArchiveError&) {
    ++lost_;  // a value no file can hold (not a number)
  }
  if (waiting_.size() > kMostWaiting) {
    const auto over = static_cast<std::ptrdiff_t>(waiting_.size() - kMostWaiting);
    waiting_.erase(waiting_.begin(), waiting_.begin() + over);
    lost_ += over;
  }
}

void RecordArchiver::EndReport() {
  if (archive_ && !waiting_.empty()) Write();
}

void RecordArchiver::Write() {
  const auto heldOver = static_cast<std::int64_t>(waiting_.size()) - std::exchange(fresh_, 0);
  try {
    archive_->AppendReport(stationId_, waiting_);
  } catch (const ArchiveError& error) {
    ++failures_;
    if (!failing_) report_({Event::Kind::CannotWrite, error.what()});
    failing_ = true;
    return;
  }
  waiting_.clear();
  if (failing_) {
    failing_ = false;
    report_(
        {Event::Kind::Writing, {}, std::max<std::int64_t>(heldOver, 0), std::exchange(lost_, 0)});
  }
}
