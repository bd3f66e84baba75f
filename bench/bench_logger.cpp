// The headless logger's cost: per record, what it adds to decoding; its memory over a long run;
// how often it wakes up while it waits for the next report.
//
// Reported:
// - BM_DecodeAlone (the baseline) and BM_LoggerRecord: the measurement core decoding one report,
//   alone and with the logger's work for the record (CSV row appended and flushed, state JSON,
//   publish to a mosquitto broker on 127.0.0.1 started by the benchmark when it is installed).
// - BM_LoggerMemory: resident memory after 100 records and after 100,000 (rss_ratio, 1 is flat).
// - BM_WaitingWakeUps: context switches per second of every thread of the process, with the
//   logger reading the simulated anemometer at the real 5-second interval (wakeable) and
//   publishing to the broker, over BENCH_WAIT_SECONDS (default 30); the baseline is the same
//   process with an idle event loop, in the same run.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <clocale>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/measurement_core.h"
#include "device/simulated_anemometer.h"
#include "device/system_clock.h"
#include "logger/headless_logger.h"
#include "logger/mqtt_publisher.h"
#include "logger/status_lines.h"
#include "tests/support/fake_hid_transport.h"
#include "tests/support/fixed_clock.h"

namespace {

// A broker of the benchmark's own, when mosquitto is installed.
class BenchBroker {
 public:
  BenchBroker() {
    QFile config(dir_.filePath(QStringLiteral("mosquitto.conf")));
    config.open(QIODevice::WriteOnly);
    config.write(QByteArray("listener 18883 127.0.0.1\nallow_anonymous true\npersistence false\n"));
    config.close();
    broker_.setStandardErrorFile(QProcess::nullDevice());
    broker_.start(QStringLiteral("/usr/sbin/mosquitto"), {QStringLiteral("-c"), config.fileName()});
    broker_.waitForStarted();
  }
  ~BenchBroker() {
    broker_.terminate();
    broker_.waitForFinished();
  }
  MqttSettings Settings() const {
    MqttSettings settings;
    settings.host = "127.0.0.1";
    settings.port = 18883;
    settings.topicPrefix = "kelvra/bench";
    return settings;
  }

 private:
  QTemporaryDir dir_;
  QProcess broker_;
};

BenchBroker& Broker() {
  static BenchBroker broker;
  return broker;
}

void WaitForConnection(const MqttPublisher& publisher) {
  for (int i = 0; i < 500 && !publisher.Connected(); ++i) QThread::msleep(10);
}

std::vector<Packet> Reports(std::size_t count) {
  std::vector<Packet> reports;
  for (std::size_t i = 0; i < count; ++i) {
    reports.push_back(FakeHidTransport::MakeReport(static_cast<std::uint32_t>(i + 1)));
  }
  return reports;
}

// The logger's per-record work behind a measurement core, on the fake transport's clock.
struct LoggerRig {
  LoggerRig() : publisher(Broker().Settings(), status) {
    std::string error;
    publisher.Start(error);
    WaitForConnection(publisher);
    LoggerOptions options;
    options.logPattern = dir.filePath(QStringLiteral("wind-%Y-%m-%d.csv"));
    options.archive.keep = false;  // the archive's cost is measured by bench_archive
    logger = std::make_unique<HeadlessLogger>(options, ProgramFiles(dir.path().toStdString()), hid,
                                              clock, status, &publisher);
  }
  QTemporaryDir dir;
  FakeHidTransport hid;
  FixedClock clock{{2026, 12, 1, 7, 11, 45, 3, 0}};
  std::FILE* quiet = std::fopen("/dev/null", "w");
  StatusLines status{quiet};
  MqttPublisher publisher;
  std::unique_ptr<HeadlessLogger> logger;
  // The logger's own session, which hands each record to the logger's consumers.
  MeasurementCore& Core() { return logger->Session().Core(); }
};

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// Voluntary and involuntary context switches of every thread of this process.
long ContextSwitches() {
  long total = 0;
  for (const QString& task :
       QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    std::ifstream status(("/proc/self/task/" + task + "/status").toStdString());
    for (std::string line; std::getline(status, line);) {
      if (line.find("ctxt_switches:") != std::string::npos) {
        total += std::stol(line.substr(line.find(':') + 1));
      }
    }
  }
  return total;
}

double WaitSeconds() {
  const QByteArray seconds = qgetenv("BENCH_WAIT_SECONDS");
  return seconds.isEmpty() ? 30.0 : seconds.toDouble();
}

// Switches per second while the event loop runs for seconds.
double SwitchesPerSecond(double seconds) {
  const long before = ContextSwitches();
  QTimer::singleShot(static_cast<int>(seconds * 1000), [] { QCoreApplication::quit(); });
  QCoreApplication::exec();
  return static_cast<double>(ContextSwitches() - before) / seconds;
}

void BM_DecodeAlone(benchmark::State& state) {
  const std::vector<Packet> reports = Reports(100'000);
  MeasurementCore core;
  std::size_t i = 0;
  for (auto _ : state) core.DecodePacket(reports[i++ % reports.size()], {});
}
BENCHMARK(BM_DecodeAlone);

void BM_LoggerRecord(benchmark::State& state) {
  const std::vector<Packet> reports = Reports(100'000);
  LoggerRig rig;
  std::size_t i = 0;
  for (auto _ : state) rig.Core().DecodePacket(reports[i++ % reports.size()], {});
  state.counters["published"] = rig.publisher.Connected() ? 1 : 0;
}
BENCHMARK(BM_LoggerRecord);

void BM_LoggerMemory(benchmark::State& state) {
  for (auto _ : state) {
    const std::vector<Packet> reports = Reports(100'100);
    LoggerRig rig;
    for (std::size_t i = 0; i < 100; ++i) rig.Core().DecodePacket(reports[i], {});
    const long after100 = ResidentKilobytes();
    for (std::size_t i = 100; i < reports.size(); ++i) rig.Core().DecodePacket(reports[i], {});
    const long after100k = ResidentKilobytes();
    state.counters["rss_100_kB"] = static_cast<double>(after100);
    state.counters["rss_100k_kB"] = static_cast<double>(after100k);
    state.counters["rss_ratio"] = static_cast<double>(after100k) / static_cast<double>(after100);
  }
}
BENCHMARK(BM_LoggerMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_WaitingWakeUps(benchmark::State& state) {
  for (auto _ : state) {
    const double seconds = WaitSeconds();
    const double idle = SwitchesPerSecond(seconds / 3);
    QTemporaryDir dir;
    StatusLines status{std::fopen("/dev/null", "w")};
    MqttPublisher publisher(Broker().Settings(), status);
    std::string error;
    publisher.Start(error);
    WaitForConnection(publisher);
    SimulatedAnemometer anemometer(std::chrono::seconds(5));
    SystemClock clock;
    LoggerOptions options;
    options.logPattern = dir.filePath(QStringLiteral("wind.csv"));
    options.archive.keep = false;
    HeadlessLogger logger(options, ProgramFiles(dir.path().toStdString()), anemometer, clock,
                          status, &publisher);
    logger.Start();
    const double waiting = SwitchesPerSecond(seconds);
    logger.Stop();
    publisher.Stop();
    state.counters["idle_per_s"] = idle;
    state.counters["waiting_per_s"] = waiting;
    state.counters["records"] = static_cast<double>(logger.Records());
  }
}
BENCHMARK(BM_WaitingWakeUps)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
