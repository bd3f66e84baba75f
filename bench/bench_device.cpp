// How quickly the device link passes a report on, and how quickly it stops.
//
// Report latency: from the moment a report's last byte reaches the (fake) transport to the data
// notification, over 10,000 reports; the baseline is a bare condition-variable hand-off between
// two threads, measured the same way in the same run.
// Stop latency: StopReading on an idle device while a read waits, median over 100 stops; once
// with a transport that can interrupt its read (the fake, the simulator) and once with one that
// cannot (like hidapi), where the read time-out bounds it. The baseline is waking and joining a
// thread that waits on a condition variable.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "device/usb_anemometer.h"
#include "tests/support/fake_hid_transport.h"

namespace {

using Steady = std::chrono::steady_clock;

class StillClock : public Clock {
 public:
  SystemTime LocalTime() override { return {}; }
};

double Percentile(std::vector<double> samples, double fraction) {
  std::sort(samples.begin(), samples.end());
  const auto index = static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1));
  return samples[index];
}

double Microseconds(Steady::duration d) {
  return std::chrono::duration<double, std::micro>(d).count();
}

// Times at which the consumer side saw each hand-off, and a way to wait for the next one.
class Arrivals {
 public:
  void Record() {
    const Steady::time_point now = Steady::now();
    std::lock_guard lock(Lock);
    Last = now;
    ++Count;
    Changed.notify_all();
  }
  Steady::time_point WaitFor(int count) {
    std::unique_lock lock(Lock);
    Changed.wait(lock, [&] { return Count >= count; });
    return Last;
  }

 private:
  std::mutex Lock;
  std::condition_variable Changed;
  Steady::time_point Last;
  int Count = 0;
};

// A link reading from the fake, waiting for data; each Measure hands it reports one at a time.
class LinkRig {
 public:
  LinkRig()
      : Link(
            kAnemometerVendorId, kAnemometerProductId,
            [this](int message) {
              if (message == WM_ANEMOMETER_DATA) {
                Seen.Record();
              }
            },
            Hid, Time) {
    Link.FindDevice();
    Link.StartReading();
    Hid.WaitUntilIdle(Anemometer);
  }
  ~LinkRig() { Link.StopReading(); }
  LinkRig(const LinkRig&) = delete;
  LinkRig& operator=(const LinkRig&) = delete;

  void Measure(int reports, std::vector<double>& latencies) {
    for (int i = 0; i < reports; ++i) {
      const Steady::time_point sent = Steady::now();
      Hid.QueueReport(Anemometer, Report);
      latencies.push_back(Microseconds(Seen.WaitFor(++Sent) - sent));
      Hid.WaitUntilIdle(Anemometer);  // the link reads again before the next report comes
    }
  }

 private:
  FakeHidTransport Hid;
  std::size_t Anemometer = Hid.AddAnemometer();
  StillClock Time;
  Arrivals Seen;
  TUsbAnemometer Link;
  const Packet Report = FakeHidTransport::MakeReport(1);
  int Sent = 0;
};

// The same hand-off with nothing but a condition variable: a thread waits, another wakes it.
class BareRig {
 public:
  BareRig()
      : Consumer([this] {
          std::unique_lock guard(Lock);
          for (int seen = 0;;) {
            Waiting = true;
            Changed.notify_all();
            Changed.wait(guard, [&] { return Posted > seen || Done; });
            Waiting = false;
            if (Done) {
              return;
            }
            seen = Posted;
            guard.unlock();
            Seen.Record();
            guard.lock();
          }
        }) {}
  ~BareRig() {
    {
      std::lock_guard guard(Lock);
      Done = true;
      Changed.notify_all();
    }
    Consumer.join();
  }
  BareRig(const BareRig&) = delete;
  BareRig& operator=(const BareRig&) = delete;

  void Measure(int handOffs, std::vector<double>& latencies) {
    for (int i = 0; i < handOffs; ++i) {
      std::unique_lock guard(Lock);
      Changed.wait(guard, [&] { return Waiting; });  // as with the link, the consumer waits
      const Steady::time_point sent = Steady::now();
      ++Posted;
      Changed.notify_all();
      guard.unlock();
      latencies.push_back(Microseconds(Seen.WaitFor(++Sent) - sent));
    }
  }

 private:
  std::mutex Lock;
  std::condition_variable Changed;
  int Posted = 0;
  bool Waiting = false;
  bool Done = false;
  Arrivals Seen;
  int Sent = 0;
  std::thread Consumer;  // last: starts once everything it uses exists
};

void BM_ReportToDataNotification(benchmark::State& state) {
  constexpr int kReports = 10000;
  constexpr int kBlock = 500;  // alternate blocks, so that load from elsewhere hits both alike
  for (auto _ : state) {
    LinkRig linkRig;
    BareRig bareRig;
    std::vector<double> link;
    std::vector<double> bare;
    for (int done = 0; done < kReports; done += kBlock) {
      linkRig.Measure(kBlock, link);
      bareRig.Measure(kBlock, bare);
    }
    const double linkMedian = Percentile(link, 0.5);
    const double linkP99 = Percentile(link, 0.99);
    const double bareMedian = Percentile(bare, 0.5);
    const double bareP99 = Percentile(bare, 0.99);
    state.counters["median_us"] = linkMedian;
    state.counters["p99_us"] = linkP99;
    state.counters["bare_cv_median_us"] = bareMedian;
    state.counters["bare_cv_p99_us"] = bareP99;
    state.counters["median_vs_bare_cv"] = linkMedian / bareMedian;
    state.counters["p99_vs_bare_cv"] = linkP99 / bareP99;
    state.counters["p99_vs_read_timeout"] = linkP99 / (TUsbAnemometer::kReadTimeoutMs * 1000.0);
  }
}
BENCHMARK(BM_ReportToDataNotification)->Iterations(1)->Unit(benchmark::kMillisecond);

// Starts capture on an idle device, waits until a read waits for data, and times the stop.
class StopRig {
 public:
  explicit StopRig(bool readsInterruptible) {
    Hid.IgnoreWakeUps(!readsInterruptible);
    Link.FindDevice();
  }
  double Measure() {
    Link.StartReading();
    Hid.WaitUntilIdle(Anemometer);
    const Steady::time_point asked = Steady::now();
    Link.StopReading();
    return Microseconds(Steady::now() - asked);
  }

 private:
  FakeHidTransport Hid;
  std::size_t Anemometer = Hid.AddAnemometer();
  StillClock Time;
  TUsbAnemometer Link{kAnemometerVendorId, kAnemometerProductId, {}, Hid, Time};
};

// The least a stop can cost: wake a thread that waits on a condition variable and join it.
double BareWakeAndJoin() {
  std::mutex lock;
  std::condition_variable changed;
  bool stop = false;
  bool waiting = false;
  std::thread worker([&] {
    std::unique_lock guard(lock);
    waiting = true;
    changed.notify_all();
    changed.wait(guard, [&] { return stop; });
  });
  {
    std::unique_lock guard(lock);
    changed.wait(guard, [&] { return waiting; });
  }
  const Steady::time_point asked = Steady::now();
  {
    std::lock_guard guard(lock);
    stop = true;
    changed.notify_all();
  }
  worker.join();
  return Microseconds(Steady::now() - asked);
}

void BM_StopReadingIdle(benchmark::State& state) {
  constexpr int kStops = 100;
  for (auto _ : state) {
    StopRig interruptible(true);
    StopRig uninterruptible(false);
    std::vector<double> link;
    std::vector<double> bare;
    std::vector<double> timeoutBound;
    for (int i = 0; i < kStops; ++i) {
      link.push_back(interruptible.Measure());
      bare.push_back(BareWakeAndJoin());
    }
    for (int i = 0; i < kStops; ++i) {
      timeoutBound.push_back(uninterruptible.Measure());
    }
    const double linkMedian = Percentile(link, 0.5);
    const double bareMedian = Percentile(bare, 0.5);
    const double timeoutMedian = Percentile(timeoutBound, 0.5);
    state.counters["median_us"] = linkMedian;
    state.counters["bare_wake_join_median_us"] = bareMedian;
    state.counters["median_vs_bare_wake_join"] = linkMedian / bareMedian;
    state.counters["uninterruptible_median_us"] = timeoutMedian;
    state.counters["uninterruptible_vs_read_timeout"] =
        timeoutMedian / (TUsbAnemometer::kReadTimeoutMs * 1000.0);
  }
}
BENCHMARK(BM_StopReadingIdle)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
