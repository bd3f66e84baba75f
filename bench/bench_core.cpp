// Cost of the live path for one packet at a full store, against reading the packet's fields
// alone; and the per-record cost of AddRecord for a short and a very long run.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "core/measurement_core.h"
#include "core/packet_encoder.h"

namespace {

// A report of 3 Hz average, 4.5 Hz gust, WSW and -3.5 degrees C.
Packet BenchPacket(std::int32_t counter) {
  return EncodePacket({.Counter = static_cast<std::uint32_t>(counter),
                       .AvgFrequency = 3000,
                       .GustFrequency = 4500,
                       .DirectionCode = 11,
                       .Temperature = -3.5});
}

void FillStore(MeasurementCore& core) {
  const SystemTime time{2024, 1, 1, 1, 12, 0, 0, 0};
  for (std::size_t i = 0; i < RecordStore::kLimit; ++i) {
    core.AddRecord(3, false, time, 4.0f, 6.0f, 10.0f, 9.0f, 8.0f, 3.0f, 4.0f);
  }
}

void BM_ParsePacketFields(benchmark::State& state) {
  const Packet packet = BenchPacket(42);
  for (auto _ : state) {
    auto fields = ParsePacket(packet);
    benchmark::DoNotOptimize(fields);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParsePacketFields);

void BM_DecodePacketIntoFullStore(benchmark::State& state) {
  MeasurementCore core;
  core.Calibration() = DefaultCalibrationTable();
  FillStore(core);
  std::int32_t counter = 1;
  core.DecodePacket(BenchPacket(counter), SystemTime{});  // the first packet is dropped
  const SystemTime arrival{2024, 1, 1, 1, 12, 0, 5, 0};
  for (auto _ : state) {
    core.DecodePacket(BenchPacket(++counter), arrival);
  }
  if (core.Records().Size() != RecordStore::kLimit) state.SkipWithError("store not full");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodePacketIntoFullStore);

void BM_AddRecords(benchmark::State& state) {
  const auto count = state.range(0);
  const SystemTime time{2024, 1, 1, 1, 12, 0, 0, 0};
  for (auto _ : state) {
    MeasurementCore core;
    for (std::int64_t i = 0; i < count; ++i) {
      core.AddRecord(static_cast<DirectionSector>(i & 15), false, time, 4.0f, 6.0f, 10.0f, 9.0f,
                     8.0f, 3.0f, 4.0f);
    }
    benchmark::DoNotOptimize(core.Records().Newest());
  }
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["per_record"] =
      benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}
BENCHMARK(BM_AddRecords)->Arg(20000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
