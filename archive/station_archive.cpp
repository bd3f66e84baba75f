#include "archive/station_archive.h"

#include <array>
#include <map>
#include <set>
#include <tuple>

#include "archive/archive_schema.h"
#include "archive/civil_time.h"
#include "archive/sqlite_connection.h"
#include "archive/summary_builder.h"
#include "archive/writer_lock.h"

namespace {

// Local time is at most a day away from UTC.
constexpr std::int64_t kMostOffset = 86400;

constexpr char kRecordColumns[] =
    "time, seq, utc_offset, interval, avg_speed, gust_speed, sector, temperature, wind_chill_avg, "
    "wind_chill_gust, beaufort_avg, beaufort_gust, made_up";

StoredRecord ReadRecord(const SqliteStatement& q) {
  StoredRecord r;
  r.time = q.Int(0);
  r.seq = static_cast<std::int32_t>(q.Int(1));
  r.utcOffset = static_cast<std::int32_t>(q.Int(2));
  r.interval = static_cast<std::int32_t>(q.Int(3));
  r.avgSpeed = q.Int(4);
  r.gustSpeed = q.Int(5);
  r.sector = static_cast<std::int32_t>(q.Int(6));
  r.temperature = q.Int(7);
  r.windChillAvg = q.Int(8);
  r.windChillGust = q.Int(9);
  r.beaufortAvg = q.Int(10);
  r.beaufortGust = q.Int(11);
  r.madeUp = q.Int(12) != 0;
  return r;
}

std::unique_ptr<WriterLock> LockFor(const std::filesystem::path& file,
                                    StationArchive::Access access) {
  if (access == StationArchive::Access::Read) return nullptr;
  return std::make_unique<WriterLock>(file);
}

SqliteConnection::Mode ModeFor(StationArchive::Access access) {
  return access == StationArchive::Access::Read ? SqliteConnection::Mode::ReadOnly
                                                : SqliteConnection::Mode::Create;
}

// The summary a period would have if the station's records were added in order; the period it
// is open in, for the records appended after all others.
struct OpenPeriod {
  bool valid = false;
  bool changed = false;
  std::int64_t start = 0;
  WindSummary summary;
};

struct StationState {
  bool any = false;  // the station has records
  std::int64_t lastTime = 0;
  std::int32_t lastSeq = 0;
  std::int32_t usualInterval = 0;
  std::array<OpenPeriod, 3> open;
};

using PeriodKey =
    std::tuple<std::int32_t, std::size_t, std::int64_t>;  // station, resolution, start

}  // namespace

struct StationArchive::Impl {
  Impl(const std::filesystem::path& path, Access access)
      : file(path),
        writable(access == Access::Write),
        lock(LockFor(path, access)),
        db(path, ModeFor(access)),
        rows(Open(db, writable)),
        insert(
            db.Prepare(std::string("INSERT OR IGNORE INTO records (station, ") + kRecordColumns +
                       ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)")),
        last(db.Prepare("SELECT time, seq FROM records WHERE station = ?1 ORDER BY time DESC, seq "
                        "DESC LIMIT 1")),
        usual(db.Prepare("SELECT interval FROM records WHERE station = ?1 AND interval > 0 "
                         "ORDER BY time DESC, seq DESC LIMIT 1")),
        previous(db.Prepare("SELECT time FROM records WHERE station = ?1 AND (time < ?2 OR (time = "
                            "?2 AND seq < ?3)) "
                            "ORDER BY time DESC, seq DESC LIMIT 1")),
        next(db.Prepare(
            std::string("SELECT ") + kRecordColumns +
            " FROM records WHERE station = ?1 AND (time > ?2 OR (time = ?2 AND seq > ?3)) "
            "ORDER BY time, seq LIMIT 1")),
        maxSeq(db.Prepare("SELECT max(seq) FROM records WHERE station = ?1 AND time = ?2")),
        setInterval(db.Prepare(
            "UPDATE records SET interval = ?4 WHERE station = ?1 AND time = ?2 AND seq = ?3")),
        range(db.Prepare(
            std::string("SELECT ") + kRecordColumns +
            " FROM records WHERE station = ?1 AND time >= ?2 AND time < ?3 ORDER BY time, seq")),
        after(db.Prepare(std::string("SELECT ") + kRecordColumns +
                         " FROM records WHERE station = ?1 AND (time > ?2 OR (time = ?2 AND seq > "
                         "?3)) ORDER BY time, seq LIMIT ?4")),
        findStation(db.Prepare("SELECT id FROM stations WHERE name = ?1")),
        addStation(db.Prepare("INSERT INTO stations (name) VALUES (?1)")) {}

  static SqliteConnection& Open(SqliteConnection& connection, bool writable) {
    if (writable && connection.ReadOnly()) {
      throw ArchiveError(ArchiveFault::ReadOnly,
                         connection.File().string() + ": the file is read-only");
    }
    // Checked before anything is written, so a file that is not ours is left exactly as it is.
    PrepareArchiveSchema(connection, writable);
    if (writable) {
      connection.Execute("PRAGMA journal_mode = WAL");
      connection.Execute("PRAGMA synchronous = FULL");
    }
    return connection;
  }

  StationState& State(std::int32_t station) {
    auto [it, added] = states.try_emplace(station);
    if (!added) return it->second;
    StationState& state = it->second;
    last.Bind(1, std::int64_t{station});
    if (last.Step()) {
      state.any = true;
      state.lastTime = last.Int(0);
      state.lastSeq = static_cast<std::int32_t>(last.Int(1));
    }
    last.Reset();
    usual.Bind(1, std::int64_t{station});
    if (usual.Step()) state.usualInterval = static_cast<std::int32_t>(usual.Int(0));
    usual.Reset();
    return state;
  }

  std::optional<std::int64_t> PreviousTime(std::int32_t station, std::int64_t time,
                                           std::int32_t seq) {
    previous.Bind(1, std::int64_t{station}).Bind(2, time).Bind(3, std::int64_t{seq});
    std::optional<std::int64_t> found;
    if (previous.Step()) found = previous.Int(0);
    previous.Reset();
    return found;
  }

  static std::int32_t IntervalAfter(std::optional<std::int64_t> previousTime, std::int64_t time,
                                    std::int32_t usualInterval) {
    if (previousTime && time - *previousTime <= kLongestInterval) {
      return static_cast<std::int32_t>(time - *previousTime);
    }
    return usualInterval;
  }

  void MarkDirty(std::int32_t station, const StoredRecord& r) {
    for (std::size_t i = 0; i < 3; ++i) {
      dirty.emplace(station, i, PeriodStart(r.LocalSeconds(), Seconds(kResolutions[i])));
    }
  }

  bool Insert(std::int32_t station, StoredRecord& r, bool importing) {
    StationState& state = State(station);
    bool append = false;
    if (!importing) {
      if (!state.any || r.time > state.lastTime) {
        r.seq = 0;
        append = true;
      } else if (r.time == state.lastTime) {
        r.seq = state.lastSeq + 1;
        append = true;
      } else {
        maxSeq.Bind(1, std::int64_t{station}).Bind(2, r.time);
        r.seq =
            maxSeq.Step() && !maxSeq.IsNull(0) ? static_cast<std::int32_t>(maxSeq.Int(0)) + 1 : 0;
        maxSeq.Reset();
      }
    } else {
      append = !state.any || std::tie(r.time, r.seq) > std::tie(state.lastTime, state.lastSeq);
    }
    const std::optional<std::int64_t> previousTime =
        append ? (state.any ? std::optional(state.lastTime) : std::nullopt)
               : PreviousTime(station, r.time, r.seq);
    r.interval = IntervalAfter(previousTime, r.time, state.usualInterval);

    insert.BindAll(std::int64_t{station}, r.time, std::int64_t{r.seq}, std::int64_t{r.utcOffset},
                   std::int64_t{r.interval}, r.avgSpeed, r.gustSpeed, std::int64_t{r.sector},
                   r.temperature, r.windChillAvg, r.windChillGust, r.beaufortAvg, r.beaufortGust,
                   std::int64_t{r.madeUp ? 1 : 0});
    insert.Run();
    if (db.Changes() == 0) return false;

    if (previousTime && r.time - *previousTime <= kLongestInterval && r.time > *previousTime &&
        append) {
      state.usualInterval = r.interval;
    }
    if (append) {
      state.any = true;
      state.lastTime = r.time;
      state.lastSeq = r.seq;
      AddToOpenPeriods(station, state, r);
    } else {
      MarkDirty(station, r);
      FixFollowingInterval(station, r, state.usualInterval);
    }
    return true;
  }

  void AddToOpenPeriods(std::int32_t station, StationState& state, const StoredRecord& r) {
    for (std::size_t i = 0; i < 3; ++i) {
      const std::int64_t start = PeriodStart(r.LocalSeconds(), Seconds(kResolutions[i]));
      if (dirty.contains({station, i, start})) continue;  // rebuilt from the records at the end
      OpenPeriod& open = state.open[i];
      if (!open.valid || open.start != start) {
        StoreOpen(station, i, open);
        open.valid = true;
        open.start = start;
        open.summary = rows.Load(station, kResolutions[i], start).value_or(WindSummary{});
      }
      AddRecord(open.summary, r);
      open.changed = true;
    }
  }

  void StoreOpen(std::int32_t station, std::size_t i, OpenPeriod& open) {
    if (!open.valid || !open.changed) return;
    rows.Store(station, kResolutions[i], open.start, open.summary);
    open.changed = false;
  }

  // A record put in before others: the next one's interval now counts from it.
  void FixFollowingInterval(std::int32_t station, const StoredRecord& r,
                            std::int32_t usualInterval) {
    next.Bind(1, std::int64_t{station}).Bind(2, r.time).Bind(3, std::int64_t{r.seq});
    std::optional<StoredRecord> following;
    if (next.Step()) following = ReadRecord(next);
    next.Reset();
    if (!following || following->time - r.time > kLongestInterval) return;
    const std::int32_t interval = IntervalAfter(r.time, following->time, usualInterval);
    if (interval == following->interval) return;
    setInterval.Bind(1, std::int64_t{station}).Bind(2, following->time);
    setInterval.Bind(3, std::int64_t{following->seq}).Bind(4, std::int64_t{interval});
    setInterval.Run();
    MarkDirty(station, *following);
  }

  // Writes what this transaction changed in the summaries.
  void Flush() {
    for (auto& [station, state] : states) {
      for (std::size_t i = 0; i < 3; ++i) StoreOpen(station, i, state.open[i]);
    }
    for (const auto& [station, i, start] : dirty) {
      const Resolution resolution = kResolutions[i];
      WindSummary summary;
      ForEach(station, start, start + Seconds(resolution),
              [&](const StoredRecord& r) { AddRecord(summary, r); });
      if (summary.count > 0) {
        rows.Store(station, resolution, start, summary);
      } else {
        rows.Erase(station, resolution, start);
      }
      auto state = states.find(station);
      if (state != states.end() && state->second.open[i].start == start) state->second.open[i] = {};
    }
    dirty.clear();
  }

  // After a failed transaction nothing cached can be trusted.
  void Forget() {
    states.clear();
    dirty.clear();
  }

  void ForEach(std::int32_t station, std::int64_t fromLocal, std::int64_t toLocal,
               const std::function<void(const StoredRecord&)>& take) {
    range.Bind(1, std::int64_t{station})
        .Bind(2, fromLocal - kMostOffset)
        .Bind(3, toLocal + kMostOffset);
    try {
      while (range.Step()) {
        const StoredRecord r = ReadRecord(range);
        if (r.LocalSeconds() >= fromLocal && r.LocalSeconds() < toLocal) take(r);
      }
    } catch (...) {
      range.Reset();
      throw;
    }
    range.Reset();
  }

  std::vector<std::int32_t> StationIds() {
    std::vector<std::int32_t> ids;
    SqliteStatement q = db.Prepare("SELECT id FROM stations ORDER BY id");
    while (q.Step()) ids.push_back(static_cast<std::int32_t>(q.Int(0)));
    return ids;
  }

  void RequireWritable() const {
    if (!writable)
      throw ArchiveError(ArchiveFault::ReadOnly, file.string() + ": opened for reading only");
  }

  std::filesystem::path file;
  bool writable;
  std::unique_ptr<WriterLock> lock;
  SqliteConnection db;
  SummaryRows rows;
  SqliteStatement insert, last, usual, previous, next, maxSeq, setInterval, range, after,
      findStation, addStation;
  std::map<std::int32_t, StationState> states;
  std::set<PeriodKey> dirty;
  std::unique_ptr<SqliteTransaction> importTransaction;
};

StationArchive::StationArchive(const std::filesystem::path& file, Access access)
    : impl_(std::make_unique<Impl>(file, access)) {}

StationArchive::~StationArchive() = default;

const std::filesystem::path& StationArchive::File() const { return impl_->file; }

std::optional<std::int32_t> StationArchive::FindStation(std::string_view name) {
  auto& q = impl_->findStation;
  q.Bind(1, name);
  std::optional<std::int32_t> id;
  if (q.Step()) id = static_cast<std::int32_t>(q.Int(0));
  q.Reset();
  return id;
}

std::int32_t StationArchive::Station(std::string_view name) {
  if (auto id = FindStation(name)) return *id;
  impl_->RequireWritable();
  impl_->addStation.Bind(1, name);
  impl_->addStation.Run();
  return *FindStation(name);
}

std::vector<std::string> StationArchive::StationNames() {
  std::vector<std::string> names;
  SqliteStatement q = impl_->db.Prepare("SELECT name FROM stations ORDER BY id");
  while (q.Step()) names.push_back(q.Text(0));
  return names;
}

void StationArchive::AppendReport(std::int32_t station, std::span<StoredRecord> records) {
  impl_->RequireWritable();
  try {
    SqliteTransaction transaction(impl_->db);
    for (StoredRecord& r : records) impl_->Insert(station, r, false);
    impl_->Flush();
    transaction.Commit();
  } catch (...) {
    impl_->Forget();
    throw;
  }
}

void StationArchive::BeginImport() {
  impl_->RequireWritable();
  impl_->importTransaction = std::make_unique<SqliteTransaction>(impl_->db);
}

bool StationArchive::Import(std::int32_t station, StoredRecord& record) {
  try {
    return impl_->Insert(station, record, true);
  } catch (...) {
    AbandonImport();
    throw;
  }
}

void StationArchive::CommitImport() {
  try {
    impl_->Flush();
    impl_->importTransaction->Commit();
    impl_->importTransaction.reset();
  } catch (...) {
    AbandonImport();
    throw;
  }
}

void StationArchive::AbandonImport() {
  impl_->importTransaction.reset();
  impl_->Forget();
}

void StationArchive::RebuildSummaries() {
  impl_->RequireWritable();
  try {
    SqliteTransaction transaction(impl_->db);
    impl_->db.Execute("DELETE FROM summaries");
    for (std::int32_t station : impl_->StationIds()) {
      SummaryBuilder builder([&](Resolution resolution, const PeriodSummary& period) {
        impl_->rows.Store(station, resolution, period.start, period.summary);
      });
      SqliteStatement q = impl_->db.Prepare(std::string("SELECT ") + kRecordColumns +
                                            " FROM records WHERE station = ?1 ORDER BY time, seq");
      q.Bind(1, std::int64_t{station});
      while (q.Step()) builder.Add(ReadRecord(q));
      builder.Finish();
    }
    transaction.Commit();
    impl_->Forget();
  } catch (...) {
    impl_->Forget();
    throw;
  }
}

std::vector<std::string> StationArchive::Check() {
  constexpr std::size_t kMostProblems = 40;
  std::vector<std::string> problems;
  {
    SqliteStatement q = impl_->db.Prepare("PRAGMA integrity_check(40)");
    while (q.Step()) {
      const std::string line = q.Text(0);
      if (line != "ok") problems.push_back("SQLite: " + line);
    }
  }
  if (!problems.empty()) return problems;
  // Read in one transaction, so that a writer's later reports do not count.
  impl_->db.Execute("BEGIN");
  try {
    std::int64_t built = 0;
    for (std::int32_t station : impl_->StationIds()) {
      SummaryBuilder builder([&](Resolution resolution, const PeriodSummary& period) {
        ++built;
        const auto stored = impl_->rows.Load(station, resolution, period.start);
        if ((!stored || *stored != period.summary) && problems.size() < kMostProblems) {
          problems.push_back("station " + std::to_string(station) + ": the summary of " +
                             std::to_string(Seconds(resolution)) + " s from local second " +
                             std::to_string(period.start) +
                             (stored ? " differs from its records" : " is missing"));
        }
      });
      SqliteStatement q = impl_->db.Prepare(std::string("SELECT ") + kRecordColumns +
                                            " FROM records WHERE station = ?1 ORDER BY time, seq");
      q.Bind(1, std::int64_t{station});
      while (q.Step()) builder.Add(ReadRecord(q));
      builder.Finish();
    }
    const std::int64_t stored = impl_->db.QueryInt("SELECT count(*) FROM summaries");
    if (stored != built) {
      problems.push_back(std::to_string(stored - built) + " summaries have no records");
    }
    impl_->db.Execute("COMMIT");
  } catch (...) {
    impl_->db.Execute("ROLLBACK");
    throw;
  }
  return problems;
}

std::vector<PeriodSummary> StationArchive::Summaries(std::int32_t station, Resolution resolution,
                                                     std::int64_t fromLocal, std::int64_t toLocal) {
  return impl_->rows.Range(station, resolution, fromLocal, toLocal);
}

std::vector<PeriodSummary> StationArchive::SummariesFromRecords(std::int32_t station,
                                                                Resolution resolution,
                                                                std::int64_t fromLocal,
                                                                std::int64_t toLocal) {
  std::map<std::int64_t, WindSummary> periods;
  const std::int64_t period = Seconds(resolution);
  impl_->ForEach(
      station, PeriodStart(fromLocal, period), PeriodStart(toLocal - 1, period) + period,
      [&](const StoredRecord& r) { AddRecord(periods[PeriodStart(r.LocalSeconds(), period)], r); });
  std::vector<PeriodSummary> result;
  for (const auto& [start, summary] : periods) {
    if (start >= fromLocal && start < toLocal) result.push_back({start, summary});
  }
  return result;
}

void StationArchive::ForEachRecord(std::int32_t station, std::int64_t fromLocal,
                                   std::int64_t toLocal,
                                   const std::function<void(const StoredRecord&)>& take) {
  impl_->ForEach(station, fromLocal, toLocal, take);
}

std::int64_t StationArchive::RecordCount() {
  return impl_->db.QueryInt("SELECT count(*) FROM records");
}

std::vector<StoredRecord> StationArchive::RecordsAfter(std::int32_t station, RecordKey key,
                                                       std::size_t limit) {
  auto& q = impl_->after;
  q.BindAll(std::int64_t{station}, key.time, std::int64_t{key.seq},
            static_cast<std::int64_t>(limit));
  std::vector<StoredRecord> records;
  try {
    while (q.Step()) records.push_back(ReadRecord(q));
  } catch (...) {
    q.Reset();
    throw;
  }
  q.Reset();
  return records;
}

std::int64_t StationArchive::CountRecordsAfter(std::int32_t station, RecordKey key) {
  SqliteStatement q = impl_->db.Prepare(
      "SELECT count(*) FROM records WHERE station = ?1 AND (time > ?2 OR (time = ?2 AND seq > "
      "?3))");
  q.BindAll(std::int64_t{station}, key.time, std::int64_t{key.seq});
  q.Step();
  return q.Int(0);
}

std::optional<RecordKey> StationArchive::LastRecordKey(std::int32_t station) {
  auto& q = impl_->last;
  q.Bind(1, std::int64_t{station});
  std::optional<RecordKey> key;
  if (q.Step()) key = RecordKey{q.Int(0), static_cast<std::int32_t>(q.Int(1))};
  q.Reset();
  return key;
}

std::optional<RecordKey> StationArchive::Delivered(std::int32_t station, std::string_view target) {
  SqliteStatement q =
      impl_->db.Prepare("SELECT time, seq FROM deliveries WHERE station = ?1 AND target = ?2");
  q.Bind(1, std::int64_t{station}).Bind(2, target);
  if (!q.Step()) return std::nullopt;
  return RecordKey{q.Int(0), static_cast<std::int32_t>(q.Int(1))};
}

void StationArchive::SetDelivered(std::int32_t station, std::string_view target, RecordKey key) {
  impl_->RequireWritable();
  SqliteStatement q = impl_->db.Prepare(
      "INSERT INTO deliveries (station, target, time, seq) VALUES (?1, ?2, ?3, ?4) "
      "ON CONFLICT (station, target) DO UPDATE SET time = excluded.time, seq = excluded.seq");
  q.Bind(1, std::int64_t{station}).Bind(2, target).Bind(3, key.time);
  q.Bind(4, std::int64_t{key.seq});
  q.Run();
}
