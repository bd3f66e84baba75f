// Catching up with a time-series server after an outage: one day of records at 5 s (17,280)
// sent from the archive to VictoriaMetrics on loopback, against reading them from the archive.
// Target: the catch-up takes at most 5 times the read. Meanwhile the capture's thread appends
// one report every 20 ms to the same archive; its latency (one AppendReport, WAL,
// synchronous=FULL) is printed with and without the catch-up running: the sender must not
// make capture wait. The folder is on the real disk (BENCH_ARCHIVE_DIR, default /var/tmp).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "archive/station_archive.h"
#include "bench/bench_folder.h"
#include "timeseries/http_client.h"
#include "timeseries/influx_sender.h"
#include "timeseries/influx_target.h"
#include "timeseries/line_protocol.h"

extern char** environ;

namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr int kDayRecords = 86400 / 5;
constexpr int kPort = 18528;

InfluxTarget Target() {
  return std::get<InfluxTarget>(ParseInfluxTarget(
      "http://127.0.0.1:" + std::to_string(kPort) + "/write?db=bench", "", nullptr, nullptr));
}

// VictoriaMetrics for the length of the run.
class Server {
 public:
  explicit Server(const std::filesystem::path& data) {
    const std::string listen = "-httpListenAddr=127.0.0.1:" + std::to_string(kPort);
    const std::string storage = "-storageDataPath=" + data.string();
    const char* argv[] = {"victoria-metrics",   listen.c_str(),
                          storage.c_str(),      "-dedup.minScrapeInterval=1ms",
                          "-loggerLevel=ERROR", nullptr};
    if (posix_spawnp(&pid_, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
      std::fprintf(stderr, "cannot start victoria-metrics\n");
      std::exit(1);
    }
    HttpClient probe(Target());
    const auto deadline = SteadyClock::now() + std::chrono::seconds(30);
    while (probe.Post("", {}).status == 0 && SteadyClock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  ~Server() {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }

 private:
  pid_t pid_ = 0;
};

struct Setup {
  BenchFolder folder{"bench-timeseries"};
  std::filesystem::path file = folder / "archive.sqlite";
  Server server{folder / "vm"};
  StationArchive writer{file, StationArchive::Access::Write};
  std::int32_t station = writer.Station("bench");
  std::int32_t live = writer.Station("live");
  RecordKey last;
  std::int64_t liveTime = 0;

  Setup() {
    const std::int64_t start = std::chrono::duration_cast<std::chrono::seconds>(
                                   std::chrono::system_clock::now().time_since_epoch())
                                   .count() -
                               2 * 86400;
    std::vector<StoredRecord> day(kDayRecords);
    for (int i = 0; i < kDayRecords; ++i) {
      day[i].time = start + 5 * i;
      day[i].avgSpeed = 1000003 * (i % 20);
      day[i].gustSpeed = 1500007 * (i % 25);
      day[i].sector = i % 17;
      day[i].temperature = -3000000 + 1111 * (i % 9000);
      day[i].windChillAvg = day[i].temperature - 2000000;
      day[i].windChillGust = day[i].temperature - 3000000;
      day[i].beaufortAvg = 1000000 * (i % 8);
      day[i].beaufortGust = 1000000 * (i % 10);
    }
    writer.AppendReport(station, day);
    last = {day.back().time, day.back().seq};
    liveTime = start + 86400;
  }
};

Setup& TheSetup() {
  static Setup setup;
  return setup;
}

double readSeconds = 0, catchUpSeconds = 0;
std::vector<double> quietLatency, busyLatency;

// One report appended every 20 ms until done says so; each append's duration in ms.
void Capture(Setup& setup, const std::atomic<bool>& done, std::vector<double>& latencies) {
  while (!done) {
    StoredRecord record;
    record.time = ++setup.liveTime;
    record.avgSpeed = 2000000;
    const auto start = SteadyClock::now();
    setup.writer.AppendReport(setup.live, std::span(&record, 1));
    latencies.push_back(
        std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void BM_ReadDay(benchmark::State& state) {
  Setup& setup = TheSetup();
  StationArchive reader(setup.file, StationArchive::Access::Read);
  const auto start = SteadyClock::now();
  for (auto _ : state) {
    std::size_t count = 0;
    RecordKey after;
    for (;;) {
      const auto batch = reader.RecordsAfter(setup.station, after, InfluxSender::kMostLines);
      if (batch.empty()) break;
      count += batch.size();
      after = {batch.back().time, batch.back().seq};
    }
    if (count != kDayRecords) state.SkipWithError("not a day of records");
  }
  readSeconds = std::chrono::duration<double>(SteadyClock::now() - start).count() /
                static_cast<double>(state.iterations());
}
BENCHMARK(BM_ReadDay)->Unit(benchmark::kMillisecond);

// The sender's own share: the day as line protocol.
void BM_FormatDay(benchmark::State& state) {
  Setup& setup = TheSetup();
  StationArchive reader(setup.file, StationArchive::Access::Read);
  const auto records = reader.RecordsAfter(setup.station, {}, kDayRecords);
  for (auto _ : state) {
    std::string body;
    body.reserve(records.size() * 256);
    for (const StoredRecord& record : records) AppendLineProtocol(body, "bench", record);
    benchmark::DoNotOptimize(body);
  }
}
BENCHMARK(BM_FormatDay)->Unit(benchmark::kMillisecond);

void BM_CaptureQuiet(benchmark::State& state) {
  Setup& setup = TheSetup();
  for (auto _ : state) {
    std::atomic<bool> done{false};
    std::thread capture([&] { Capture(setup, done, quietLatency); });
    std::this_thread::sleep_for(std::chrono::seconds(1));
    done = true;
    capture.join();
  }
}
BENCHMARK(BM_CaptureQuiet)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_CatchUpDay(benchmark::State& state) {
  Setup& setup = TheSetup();
  double total = 0;
  for (auto _ : state) {
    std::mutex lock;
    std::condition_variable arrived;
    RecordKey delivered;
    InfluxSender sender(
        Target(), setup.file, setup.station, "bench", RecordKey{}, [](const std::string&) {},
        [&](RecordKey key) {
          const std::lock_guard guard(lock);
          delivered = key;
          arrived.notify_one();
        });
    std::atomic<bool> done{false};
    std::thread capture([&] { Capture(setup, done, busyLatency); });
    const auto start = SteadyClock::now();
    sender.Start();
    {
      std::unique_lock guard(lock);
      if (!arrived.wait_for(guard, std::chrono::seconds(120),
                            [&] { return delivered == setup.last; })) {
        state.SkipWithError("the catch-up did not finish");
      }
    }
    const double took = std::chrono::duration<double>(SteadyClock::now() - start).count();
    state.SetIterationTime(took);
    total += took;
    done = true;
    capture.join();
  }
  catchUpSeconds = total / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CatchUpDay)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (readSeconds > 0 && catchUpSeconds > 0) {
    std::printf("catch-up of %d records: %.1f ms, reading them %.1f ms: %.2f times (target <= 5)\n",
                kDayRecords, catchUpSeconds * 1e3, readSeconds * 1e3, catchUpSeconds / readSeconds);
  }
  std::printf("one report archived, quiet: median %.2f ms, max %.2f ms (%zu reports)\n",
              Percentile(quietLatency, 0.5), Percentile(quietLatency, 1.0), quietLatency.size());
  std::printf("one report archived, during the catch-up: median %.2f ms, max %.2f ms (%zu)\n",
              Percentile(busyLatency, 0.5), Percentile(busyLatency, 1.0), busyLatency.size());
  return 0;
}
