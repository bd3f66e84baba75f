#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "archive/stored_record.h"
#include "archive/summary_rows.h"

// The station archive: every record of every station, and summaries per minute, hour and day
// written in the same transaction as the records they cover.
//
// The file runs in WAL mode with synchronous=FULL, so a committed report survives a power cut
// and readers never block the writer. One writer at a time (WriterLock); any number of readers.
// Every failure throws ArchiveError; a failed write leaves the file as it was before it.
//
// A record's interval is the time since the station's previous record, when that is at most
// kLongestInterval; after a longer pause (the program was not running) or for a station's first
// record it is the station's last such interval, or 0 when there is none. Records of the same
// second (made up for missed reports, or reports less than a second apart) share it: the first
// carries the time since the previous second, the others 0.
// A record's place in a station's archive order: (time, seq). The default key lies before every
// record.
struct RecordKey {
  std::int64_t time = 0;
  std::int32_t seq = -1;
  friend auto operator<=>(const RecordKey&, const RecordKey&) = default;
};

class StationArchive {
 public:
  enum class Access { Read, Write };
  static constexpr std::int32_t kLongestInterval = 600;  // seconds

  // Write creates the file when it does not exist. Throws ArchiveError.
  StationArchive(const std::filesystem::path& file, Access access);
  ~StationArchive();
  StationArchive(const StationArchive&) = delete;
  StationArchive& operator=(const StationArchive&) = delete;

  const std::filesystem::path& File() const;

  // The station's number; a writer adds a name it has not seen.
  std::int32_t Station(std::string_view name);
  std::optional<std::int32_t> FindStation(std::string_view name);
  std::vector<std::string> StationNames();

  // One report's records, oldest first, in one transaction with their summaries. Sets each
  // record's seq and interval.
  void AppendReport(std::int32_t station, std::span<StoredRecord> records);

  // Records read from a file, in one transaction from BeginImport to CommitImport. The caller
  // sets seq (the record's place among the file's records of its second); a record whose
  // station, time and seq are already there is skipped (false).
  void BeginImport();
  bool Import(std::int32_t station, StoredRecord& record);
  void CommitImport();
  void AbandonImport();

  // Summaries anew from the records.
  void RebuildSummaries();
  // SQLite's integrity check, then every summary against one built from the records. Empty
  // when all is well, else one line per problem (at most a few dozen).
  std::vector<std::string> Check();

  // Summaries whose start (local seconds) lies in [fromLocal, toLocal), from the summaries.
  std::vector<PeriodSummary> Summaries(std::int32_t station, Resolution resolution,
                                       std::int64_t fromLocal, std::int64_t toLocal);
  // The same built from the records.
  std::vector<PeriodSummary> SummariesFromRecords(std::int32_t station, Resolution resolution,
                                                  std::int64_t fromLocal, std::int64_t toLocal);
  // The station's records whose local time lies in [fromLocal, toLocal), in archive order.
  void ForEachRecord(std::int32_t station, std::int64_t fromLocal, std::int64_t toLocal,
                     const std::function<void(const StoredRecord&)>& take);
  std::int64_t RecordCount();

  // For whoever sends the records on (a time-series server): reading forward from a key, so
  // that a reader resumes exactly after the last record its target took, whatever the clock did.
  // At most limit of the station's records after key, in archive order.
  std::vector<StoredRecord> RecordsAfter(std::int32_t station, RecordKey after, std::size_t limit);
  std::int64_t CountRecordsAfter(std::int32_t station, RecordKey after);
  // The key of the station's newest record; nullopt when it has none.
  std::optional<RecordKey> LastRecordKey(std::int32_t station);
  // The last record target (a name the sender chooses) acknowledged: every record after it is
  // still to be sent. nullopt when the target has no mark yet.
  std::optional<RecordKey> Delivered(std::int32_t station, std::string_view target);
  // Writer only; a committed transaction of its own.
  void SetDelivered(std::int32_t station, std::string_view target, RecordKey key);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
