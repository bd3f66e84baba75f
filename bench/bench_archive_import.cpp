// Importing a year of records at 5 s (6.3 million rows of the live log's format) into a fresh
// station archive, against merely parsing the same file with the data file reader. The import
// should cost at most about twice the parse: the archive must not make importing old logs a
// chore. The floor of any importer that keeps a row per record in SQLite is measured beside it:
// the same file parsed and each record inserted, bare, into a table of the archive's shape, in
// one transaction. BENCH_ARCHIVE_ROWS sets a smaller file for a quick look.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>

#include "archive/civil_time.h"
#include "archive/station_archive.h"
#include "archive_tool/csv_import.h"
#include "bench/bench_folder.h"
#include "files/c_file.h"
#include "files/csv_format.h"
#include "files/data_file_reader.h"

namespace {

constexpr std::int64_t kYearAt5s = 365 * 86400 / 5;

std::int64_t RowCount() {
  const char* rows = std::getenv("BENCH_ARCHIVE_ROWS");
  return rows != nullptr ? std::atoll(rows) : kYearAt5s;
}

BenchFolder& Folder() {
  static BenchFolder folder("bench-archive-import");
  return folder;
}

// Wind that varies as real wind does: a slow swing, gusts above it, a turning vane.
const std::filesystem::path& YearFile() {
  static const std::filesystem::path file = [] {
    const std::filesystem::path path = Folder() / "year.csv";
    CFile out = OpenCFile(path, "wb");
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.0f, 0.8f);
    std::string buffer = CsvHeaderLine();
    const std::int64_t start = DaysFromCivil(2025, 1, 1) * 86400;
    for (std::int64_t i = 0; i < RowCount(); ++i) {
      MeasurementRecord r;
      r.Time = CivilFromSeconds(start + i * 5);
      r.AvgSpeed =
          std::max(0.0f, 4.0f + 3.0f * std::sin(static_cast<float>(i) / 3000.0f) + noise(random));
      r.GustSpeed = r.AvgSpeed * 1.5f;
      r.Temperature = 8.0f + 10.0f * std::sin(static_cast<float>(i) / 17280.0f) + noise(random);
      r.WindChillAvg = r.Temperature - 3.0f;
      r.WindChillGust = r.Temperature - 5.0f;
      r.BeaufortAvg = 3;
      r.BeaufortGust = 4;
      r.Sector = static_cast<std::int32_t>(i / 720 % 16);
      AppendCsvRowLine(buffer, r);
      if (buffer.size() > (1 << 20)) {
        std::fwrite(buffer.data(), 1, buffer.size(), out.get());
        buffer.clear();
      }
    }
    std::fwrite(buffer.data(), 1, buffer.size(), out.get());
    if (!CloseCFile(std::move(out))) std::abort();
    return path;
  }();
  return file;
}

// Wall and processor seconds of each, for the ratios printed at the end: the wall time counts
// the archive's writes and syncs, the processor time is steadier on a shared machine.
struct Spent {
  double wall = 0.0;
  double cpu = 0.0;
};
Spent parse;
Spent import;
Spent bare;

class Stopwatch {
 public:
  Spent Stop() const {
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_).count(),
            static_cast<double>(std::clock() - cpu_) / CLOCKS_PER_SEC};
  }

 private:
  std::chrono::steady_clock::time_point wall_ = std::chrono::steady_clock::now();
  std::clock_t cpu_ = std::clock();
};

void BM_ParseYear(benchmark::State& state) {
  const std::filesystem::path& file = YearFile();
  for (auto _ : state) {
    std::int64_t rows = 0;
    const Stopwatch watch;
    const ReadOutcome outcome = ReadDataFile(file, [&rows](const MeasurementRecord&) { ++rows; });
    parse = watch.Stop();
    if (outcome != ReadOutcome::Ok || rows != RowCount()) state.SkipWithError("parse failed");
  }
  state.counters["rows"] = static_cast<double>(RowCount());
}
BENCHMARK(BM_ParseYear)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_ImportYear(benchmark::State& state) {
  const std::filesystem::path& file = YearFile();
  for (auto _ : state) {
    const std::filesystem::path archiveFile = Folder() / "archive.sqlite";
    for (const char* suffix : {"", "-wal", "-shm", "-lock"}) {
      std::filesystem::remove(archiveFile.string() + suffix);
    }
    StationArchive archive(archiveFile, StationArchive::Access::Write);
    const std::int32_t station = archive.Station("default");
    const Stopwatch watch;
    const ImportResult result = ImportDataFile(archive, station, file, {});
    import = watch.Stop();
    if (result.refused || result.added != RowCount()) state.SkipWithError("import failed");
  }
}
BENCHMARK(BM_ImportYear)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The same rows, parsed and stored by SQLite alone: no seq, interval, summaries or checks.
void BM_BareInsertYear(benchmark::State& state) {
  const std::filesystem::path& file = YearFile();
  for (auto _ : state) {
    const std::filesystem::path dbFile = Folder() / "bare.sqlite";
    for (const char* suffix : {"", "-wal", "-shm"})
      std::filesystem::remove(dbFile.string() + suffix);
    sqlite3* db = nullptr;
    sqlite3_open(dbFile.c_str(), &db);
    sqlite3_exec(
        db,
        "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; CREATE TABLE records("
        "station INTEGER, time INTEGER, seq INTEGER, utc_offset INTEGER, interval "
        "INTEGER, a INTEGER, g INTEGER, s INTEGER, t INTEGER, ca INTEGER, cg INTEGER, "
        "ba INTEGER, bg INTEGER, m INTEGER, PRIMARY KEY(station, time, seq)) WITHOUT ROWID",
        nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO records VALUES (1,?,0,3600,5,?,?,?,?,?,?,?,?,0)", -1,
                       &insert, nullptr);
    const auto millionths = [](float v) {
      return static_cast<sqlite3_int64>(std::lround(v * 1e6));
    };
    const Stopwatch watch;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    std::int64_t rows = 0;
    const ReadOutcome outcome = ReadDataFile(file, [&](const MeasurementRecord& r) {
      sqlite3_bind_int64(insert, 1, SecondsFromCivil(r.Time));
      const float values[] = {r.AvgSpeed,    r.GustSpeed,    static_cast<float>(r.Sector),
                              r.Temperature, r.WindChillAvg, r.WindChillGust,
                              r.BeaufortAvg, r.BeaufortGust};
      for (int i = 0; i < 8; ++i) sqlite3_bind_int64(insert, i + 2, millionths(values[i]));
      rows += sqlite3_step(insert) == SQLITE_DONE;
      sqlite3_reset(insert);
    });
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    bare = watch.Stop();
    sqlite3_finalize(insert);
    sqlite3_close(db);
    if (outcome != ReadOutcome::Ok || rows != RowCount()) state.SkipWithError("bare insert failed");
  }
}
BENCHMARK(BM_BareInsertYear)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (parse.wall > 0.0 && import.wall > 0.0) {
    std::printf("import / parse, wall: %.2f (%.2f s / %.2f s; target at most 2)\n",
                import.wall / parse.wall, import.wall, parse.wall);
    std::printf("import / parse, processor: %.2f (%.2f s / %.2f s)\n", import.cpu / parse.cpu,
                import.cpu, parse.cpu);
  }
  if (parse.wall > 0.0 && bare.wall > 0.0) {
    std::printf("bare SQLite insert / parse, wall: %.2f (%.2f s); import / bare insert: %.2f\n",
                bare.wall / parse.wall, bare.wall, import.wall / bare.wall);
  }
  return 0;
}
