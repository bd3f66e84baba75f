// The station archive's costs, each against its baseline in the same run:
// - BM_AppendReport against BM_BareInsert: one live report archived (WAL, synchronous=FULL, the
//   summaries in the same transaction) against one bare insert of the same row into a table of
//   the same shape with the same journal settings. Target: at most 3 times.
// - BM_Summaries against BM_SummariesFromRecords, for the last 30 days by the hour (arg 0) and
//   a year by the day (arg 1), on a year of records every 5 s (6.3 million, imported once per
//   run in big transactions). Target: at least 100 times faster.
// - bytes per record of that year's file, summaries included, after a checkpoint. Target: 80.
// The folder is on the real disk (BENCH_ARCHIVE_DIR, default /var/tmp), so every fsync is real.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "archive/station_archive.h"
#include "bench/bench_folder.h"
#include "bench/bench_records.h"

namespace {

constexpr std::int64_t kYearStart = 1735689600;  // 2025-01-01 00:00 UTC
constexpr std::int64_t kStep = 5;
constexpr std::int64_t kYearRecords = 365 * 86400 / kStep;

BenchFolder& Folder() {
  static BenchFolder folder("bench-archive");
  return folder;
}

// Mean seconds per iteration of each benchmark, for the ratios printed at the end.
std::map<std::string, double>& Seconds() {
  static std::map<std::string, double> seconds;
  return seconds;
}

template <typename Body>
void Timed(benchmark::State& state, const std::string& name, Body body) {
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) body();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  Seconds()[name] = took.count() / static_cast<double>(state.iterations());
}

StoredRecord Sample(std::int64_t time) { return SampleRecord(time, 60); }

void Exec(sqlite3* db, const char* sql) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "%s: %s\n", sql, sqlite3_errmsg(db));
    std::abort();
  }
}

void BM_BareInsert(benchmark::State& state) {
  const auto file = Folder() / "bare.sqlite";
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  Exec(db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL;");
  Exec(db,
       "CREATE TABLE IF NOT EXISTS records(station INTEGER NOT NULL, time INTEGER NOT NULL, "
       "seq INTEGER NOT NULL, utc_offset INTEGER NOT NULL, interval INTEGER NOT NULL, "
       "avg_speed INTEGER NOT NULL, gust_speed INTEGER NOT NULL, sector INTEGER NOT NULL, "
       "temperature INTEGER NOT NULL, wind_chill_avg INTEGER NOT NULL, "
       "wind_chill_gust INTEGER NOT NULL, beaufort_avg INTEGER NOT NULL, "
       "beaufort_gust INTEGER NOT NULL, made_up INTEGER NOT NULL, "
       "PRIMARY KEY(station, time, seq)) WITHOUT ROWID");
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO records VALUES (1, ?, 0, ?, 5, ?, ?, ?, ?, ?, ?, ?, ?, 0)",
                     -1, &insert, nullptr);
  static std::int64_t time = kYearStart;  // google benchmark runs this more than once
  Timed(state, "bare", [&] {
    const StoredRecord r = Sample(time += kStep);
    int i = 1;
    for (const std::int64_t v :
         {r.time, std::int64_t{r.utcOffset}, r.avgSpeed, r.gustSpeed, std::int64_t{r.sector},
          r.temperature, r.windChillAvg, r.windChillGust, r.beaufortAvg, r.beaufortGust}) {
      sqlite3_bind_int64(insert, i++, v);
    }
    if (sqlite3_step(insert) != SQLITE_DONE) {
      std::fprintf(stderr, "insert: %s\n", sqlite3_errmsg(db));
      std::abort();
    }
    sqlite3_reset(insert);
  });
  sqlite3_finalize(insert);
  sqlite3_close(db);
}
BENCHMARK(BM_BareInsert)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();

void BM_AppendReport(benchmark::State& state) {
  StationArchive archive(Folder() / "live.sqlite", StationArchive::Access::Write);
  const std::int32_t station = archive.Station("roof");
  static std::int64_t time = kYearStart;
  Timed(state, "append", [&] {
    StoredRecord r = Sample(time += kStep);
    archive.AppendReport(station, std::span(&r, 1));
  });
}
BENCHMARK(BM_AppendReport)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();

// A year of records every 5 s, built once per run.
const std::filesystem::path& YearArchive() {
  static const std::filesystem::path file = [] {
    const auto path = Folder() / "year.sqlite";
    const auto start = std::chrono::steady_clock::now();
    StationArchive archive(path, StationArchive::Access::Write);
    const std::int32_t station = archive.Station("roof");
    constexpr std::int64_t kBatch = 200000;
    for (std::int64_t done = 0; done < kYearRecords;) {
      archive.BeginImport();
      for (std::int64_t end = std::min(done + kBatch, kYearRecords); done < end; ++done) {
        StoredRecord r = Sample(kYearStart + done * kStep);
        archive.Import(station, r);
      }
      archive.CommitImport();
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("Year archive: %lld records imported in %.1f s\n",
                static_cast<long long>(kYearRecords), took.count());
    return path;
  }();
  return file;
}

struct Query {
  const char* name;
  Resolution resolution;
  std::int64_t days;
};
constexpr Query kQueries[] = {{"30 days by the hour", Resolution::Hour, 30},
                              {"a year by the day", Resolution::Day, 365}};

template <bool kFromRecords>
void BM_Query(benchmark::State& state) {
  const Query& query = kQueries[state.range(0)];
  StationArchive archive(YearArchive(), StationArchive::Access::Read);
  const std::int32_t station = *archive.FindStation("roof");
  const std::int64_t end = kYearStart + 3600 + kYearRecords * kStep;
  const std::int64_t from = end - query.days * 86400;
  std::size_t periods = 0;
  Timed(state, std::string(query.name) + (kFromRecords ? " records" : " summaries"), [&] {
    const auto result = kFromRecords
                            ? archive.SummariesFromRecords(station, query.resolution, from, end)
                            : archive.Summaries(station, query.resolution, from, end);
    periods = result.size();
    benchmark::DoNotOptimize(result.data());
  });
  state.counters["periods"] = static_cast<double>(periods);
}
BENCHMARK(BM_Query<false>)->Name("BM_Summaries")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Query<true>)
    ->Name("BM_SummariesFromRecords")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_BytesPerRecord(benchmark::State& state) {
  std::int64_t records = 0;
  {
    StationArchive archive(YearArchive(), StationArchive::Access::Read);
    records = archive.RecordCount();
  }
  sqlite3* db = nullptr;
  sqlite3_open(YearArchive().c_str(), &db);
  Exec(db, "PRAGMA wal_checkpoint(TRUNCATE)");
  sqlite3_close(db);
  for (auto _ : state) benchmark::DoNotOptimize(records);
  const auto bytes = std::filesystem::file_size(YearArchive());
  Seconds()["bytes per record"] = static_cast<double>(bytes) / static_cast<double>(records);
  state.counters["bytes_per_record"] = Seconds()["bytes per record"];
}
BENCHMARK(BM_BytesPerRecord)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  auto& s = Seconds();
  const auto ratio = [&](const char* what, const std::string& a, const std::string& b,
                         const char* target) {
    if (s.contains(a) && s.contains(b) && s[b] > 0) {
      std::printf("%-52s %10.2f  (target %s)\n", what, s[a] / s[b], target);
    }
  };
  ratio("archived report / bare insert", "append", "bare", "<= 3");
  for (const Query& q : kQueries) {
    ratio((std::string(q.name) + ": from records / from summaries").c_str(),
          std::string(q.name) + " records", std::string(q.name) + " summaries", ">= 100");
  }
  if (s.contains("bytes per record")) {
    std::printf("%-52s %10.1f  (target <= 80)\n", "bytes per stored record", s["bytes per record"]);
  }
  return 0;
}
