// Save, Open and the PDF report for a full store (17280 rows), against merely reading and
// splitting the same file's lines; and Open of a 1,000,000-line live log, whose time per line
// should match the small file's.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "core/record_store.h"
#include "files/c_file.h"
#include "files/csv_format.h"
#include "files/csv_writer.h"
#include "files/data_file_reader.h"
#include "files/pdf_report.h"

namespace {

MeasurementRecord Row(std::mt19937& random, std::size_t index) {
  std::uniform_real_distribution<float> speed(0.0f, 40.0f), temperature(-30.0f, 35.0f);
  MeasurementRecord r;
  r.Time = {2009,
            3,
            0,
            static_cast<std::uint16_t>(1 + index / 86400 % 28),
            static_cast<std::uint16_t>(index / 3600 % 24),
            static_cast<std::uint16_t>(index / 60 % 60),
            static_cast<std::uint16_t>(index % 60),
            0};
  r.AvgSpeed = speed(random);
  r.GustSpeed = r.AvgSpeed * 1.4f;
  r.Temperature = temperature(random);
  r.WindChillAvg = r.Temperature - 3.5f;
  r.WindChillGust = r.Temperature - 6.25f;
  r.BeaufortAvg = 4;
  r.BeaufortGust = 6;
  r.Sector = static_cast<std::int32_t>(index % 16);
  return r;
}

const RecordStore& FullStore() {
  static const RecordStore store = [] {
    std::mt19937 random(1);
    RecordStore s;
    for (std::size_t i = 0; i < RecordStore::kLimit; ++i) s.Append(Row(random, i));
    return s;
  }();
  return store;
}

std::filesystem::path TempFile(const std::string& name) {
  return std::filesystem::temp_directory_path() /
         ("anemometer-bench-" + std::to_string(getpid()) + "-" + name);
}

// A live log of the given number of rows, written once per run and removed at exit.
const std::filesystem::path& LogFile(std::size_t rows) {
  struct Files {
    std::map<std::size_t, std::filesystem::path> paths;
    ~Files() {
      for (const auto& entry : paths) std::filesystem::remove(entry.second);
    }
  };
  static Files files;
  auto& path = files.paths[rows];
  if (path.empty()) {
    path = TempFile(std::to_string(rows) + ".csv");
    CFile out = OpenCFile(path, "wb");
    const std::string header = CsvHeaderLine();
    std::fwrite(header.data(), 1, header.size(), out.get());
    std::mt19937 random(2);
    std::string line;
    for (std::size_t i = 0; i < rows; ++i) {
      line = CsvRowLine(Row(random, i));
      std::fwrite(line.data(), 1, line.size(), out.get());
    }
  }
  return path;
}

void BM_SaveCsv(benchmark::State& state) {
  const auto file = TempFile("save.csv");
  for (auto _ : state) {
    if (SaveCsv(file, FullStore()) != FileOutcome::Ok) state.SkipWithError("save failed");
  }
  std::filesystem::remove(file);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(RecordStore::kLimit));
}
BENCHMARK(BM_SaveCsv)->Unit(benchmark::kMillisecond);

// The baseline: the file's lines read with fgets into the same 150-byte buffer, nothing parsed.
void BM_ReadLinesOnly(benchmark::State& state) {
  const auto rows = static_cast<std::size_t>(state.range(0));
  const auto& file = LogFile(rows);
  for (auto _ : state) {
    CFile in = OpenCFile(file, "rb");
    char buffer[150];
    std::size_t lines = 0;
    while (std::fgets(buffer, sizeof buffer, in.get())) ++lines;
    benchmark::DoNotOptimize(lines);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadLinesOnly)->Arg(17280)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A second baseline: each line also split into its blank- or comma-separated items, with no
// number converted.
void BM_ReadAndSplitLines(benchmark::State& state) {
  const auto& file = LogFile(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    CFile in = OpenCFile(file, "rb");
    char buffer[150];
    std::size_t items = 0;
    while (std::fgets(buffer, sizeof buffer, in.get())) {
      bool inItem = false;
      for (const char* c = buffer; *c != '\0'; ++c) {
        const bool separator = *c == ' ' || *c == ',' || *c == '\r' || *c == '\n' || *c == '\t';
        if (!separator && !inItem) ++items;
        inItem = !separator;
      }
    }
    benchmark::DoNotOptimize(items);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadAndSplitLines)->Arg(17280)->Unit(benchmark::kMillisecond);

// Open without the grid: every record into a store that keeps the newest 17280.
void BM_OpenIntoStore(benchmark::State& state) {
  const auto rows = static_cast<std::size_t>(state.range(0));
  const auto& file = LogFile(rows);
  RecordStore store;
  for (auto _ : state) {
    store.Clear();
    const ReadOutcome outcome = ReadDataFile(file, [&store](const MeasurementRecord& r) {
      if (store.Size() >= RecordStore::kLimit) store.RemoveOldest();
      store.Append(r);
    });
    if (outcome != ReadOutcome::Ok || store.Size() != std::min(rows, RecordStore::kLimit)) {
      state.SkipWithError("open failed");
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenIntoStore)->Arg(17280)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The baseline of the two below: the file read in one pass over an open stream.
void BM_OpenStreamIntoStore(benchmark::State& state) {
  const auto rows = static_cast<std::size_t>(state.range(0));
  const auto& file = LogFile(rows);
  RecordStore store;
  for (auto _ : state) {
    store.Clear();
    std::FILE* stream = std::fopen(file.c_str(), "rb");
    const ReadOutcome outcome = ReadDataStream(stream, [&store](const MeasurementRecord& r) {
      if (store.Size() >= RecordStore::kLimit) store.RemoveOldest();
      store.Append(r);
    });
    std::fclose(stream);
    if (outcome != ReadOutcome::Ok) state.SkipWithError("open failed");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenStreamIntoStore)->Arg(1000000)->Unit(benchmark::kMillisecond);

// As the window reads: steps of 1 MiB, so that it can handle events and a cancel in between.
void BM_OpenInWindowSteps(benchmark::State& state) {
  const auto rows = static_cast<std::size_t>(state.range(0));
  const auto& file = LogFile(rows);
  RecordStore store;
  for (auto _ : state) {
    store.Clear();
    DataFileLoad load(file);
    const RecordCallback add = [&store](const MeasurementRecord& r) {
      if (store.Size() >= RecordStore::kLimit) store.RemoveOldest();
      store.Append(r);
    };
    while (load.Step(add, std::size_t{1} << 20)) {
    }
    if (load.Outcome() != ReadOutcome::Ok) state.SkipWithError("open failed");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenInWindowSteps)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_PdfReport(benchmark::State& state) {
  const auto file = TempFile("report.pdf");
  const SystemTime now{2009, 3, 0, 1, 9, 5, 7, 0};
  for (auto _ : state) {
    if (WritePdfReport(file, FullStore(), now) != PdfOutcome::Ok) state.SkipWithError("pdf failed");
  }
  std::filesystem::remove(file);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(RecordStore::kLimit));
}
BENCHMARK(BM_PdfReport)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
