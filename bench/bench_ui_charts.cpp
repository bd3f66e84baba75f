// The trend charts' cost per record: every third record completes a chart point and redraws
// all four charts of 120 points; the other two only add to the open point.
#include <benchmark/benchmark.h>
#include <time.h>

#include <QGuiApplication>
#include <cmath>

#include "ui/drawing/trend_charts.h"

namespace {

MeasurementRecord SyntheticRecord(int i) {
  MeasurementRecord record;
  const double t = i / 20.0;
  record.AvgSpeed = static_cast<float>(8.0 + 5.0 * std::sin(t));
  record.GustSpeed = record.AvgSpeed + static_cast<float>(3.0 + 2.0 * std::sin(3.0 * t));
  record.BeaufortAvg = std::floor(record.AvgSpeed / 3.0f);
  record.Sector = i % 16;
  record.Temperature = static_cast<float>(-5.0 + 12.0 * std::sin(t / 5.0));
  record.WindChillAvg = record.Temperature - record.AvgSpeed;
  record.WindChillGust = record.Temperature - record.GustSpeed;
  return record;
}

// Charts already holding their full 120 points, so that every redraw is a full one.
TrendCharts FullCharts(int& next) {
  TrendCharts charts;
  for (next = 0; next < 3 * 120; ++next) charts.UpdateTrendCharts(SyntheticRecord(next));
  return charts;
}

// The calling thread's processor time in seconds: other processes on a busy machine do not
// count against a single record.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Times only record number `timed` (0, 1 or 2) of each group of three. The untimed records
// still run, so the iteration count is fixed instead of grown to a minimum timed duration.
void TimeRecordOfPoint(benchmark::State& state, int timed) {
  int next = 0;
  TrendCharts charts = FullCharts(next);
  for (auto _ : state) {
    double elapsed = 0.0;
    for (int r = 0; r < TrendCharts::RecordsPerChartPoint; ++r) {
      const MeasurementRecord record = SyntheticRecord(next++);
      const double start = ThreadSeconds();
      const bool redrawn = charts.UpdateTrendCharts(record);
      const double end = ThreadSeconds();
      benchmark::DoNotOptimize(redrawn);
      if (r == timed) elapsed = end - start;
    }
    state.SetIterationTime(elapsed);
  }
}

// The first record of a point also opens it, dropping the oldest of the 120.
void BM_RecordOpeningPoint(benchmark::State& state) { TimeRecordOfPoint(state, 0); }
BENCHMARK(BM_RecordOpeningPoint)->UseManualTime()->Iterations(3000);

void BM_RecordAddedToOpenPoint(benchmark::State& state) { TimeRecordOfPoint(state, 1); }
BENCHMARK(BM_RecordAddedToOpenPoint)->UseManualTime()->Iterations(3000);

void BM_RecordCompletingPoint(benchmark::State& state) { TimeRecordOfPoint(state, 2); }
BENCHMARK(BM_RecordCompletingPoint)->UseManualTime()->Iterations(3000);

// The baseline: an empty timed section, the clock's own cost inside every figure above.
void BM_EmptyTimedSection(benchmark::State& state) {
  for (auto _ : state) {
    const double start = ThreadSeconds();
    const double end = ThreadSeconds();
    state.SetIterationTime(end - start);
  }
}
BENCHMARK(BM_EmptyTimedSection)->UseManualTime()->Iterations(3000);

// The blank charts alone, the fixed part of every redraw.
void BM_ClearTrendCharts(benchmark::State& state) {
  TrendCharts charts;
  for (auto _ : state) {
    charts.ClearTrendCharts();
    benchmark::DoNotOptimize(charts.WindBitmap().constBits());
  }
}
BENCHMARK(BM_ClearTrendCharts);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
