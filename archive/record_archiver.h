#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/stored_record.h"
#include "archive/zone_placer.h"
#include "core/record_consumer.h"

class StationArchive;

// Keeps every captured record in the station archive: each report's rows, made-up rows included,
// in one transaction. A report that cannot be written (a full disk) is said once; its rows wait
// in memory, up to a day of them, and go in with the next report that can be written, so that a
// gap is caught up when space is back. Rows beyond that day are lost, and said so.
class RecordArchiver : public RecordConsumer {
 public:
  struct Event {
    enum class Kind {
      CannotOpen,   // the archive is off for this run
      CannotWrite,  // rows wait in memory
      Writing,      // written again after CannotWrite
    };
    Kind kind;
    std::string message;        // CannotOpen, CannotWrite: what went wrong
    std::int64_t caughtUp = 0;  // Writing: rows written that had waited
    std::int64_t lost = 0;      // Writing: rows that could not wait
  };
  using Report = std::function<void(const Event&)>;

  static constexpr std::size_t kMostWaiting = 17280;

  RecordArchiver(std::filesystem::path file, std::string station, Report report);
  ~RecordArchiver() override;

  // Opens (or creates) the archive for writing. False, told through the report, when it cannot
  // be opened: a file that is not an archive, of a newer version, read-only, or written by
  // another program is left as it is, and no record is archived in this run.
  bool Open();

  void BeginReport(std::int32_t rowCount) override;
  void TakeRecord(const MeasurementRecord& record, const RecordContext& context) override;
  void EndReport() override;

  const std::filesystem::path& File() const { return file_; }
  const std::string& StationName() const { return station_; }
  // Null until Open succeeded; readers in the same program may use it between reports.
  StationArchive* Archive() { return archive_.get(); }
  // Reports that could not be written, and rows waiting now.
  std::int64_t Failures() const { return failures_; }
  std::size_t Waiting() const { return waiting_.size(); }

 private:
  void Write();

  std::filesystem::path file_;
  std::string station_;
  Report report_;
  std::unique_ptr<StationArchive> archive_;
  std::int32_t stationId_ = 0;
  ZonePlacer zone_;
  std::vector<StoredRecord> waiting_;  // oldest first
  std::int64_t fresh_ = 0;             // rows taken since the last write
  std::int64_t lost_ = 0;
  std::int64_t failures_ = 0;
  bool failing_ = false;
};
