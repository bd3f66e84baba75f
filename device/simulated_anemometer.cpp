#include "device/simulated_anemometer.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "device/simulated_weather.h"
#include "device/usb_anemometer.h"

// The device's side: the weather it measures and its counter, which outlive a connection.
class SimulatedDeviceState {
 public:
  explicit SimulatedDeviceState(std::uint32_t seed) : Weather(seed) {}

  Packet NextReport() {
    std::lock_guard lock(Lock);
    return Weather.NextReport();
  }

 private:
  std::mutex Lock;
  SimulatedWeather Weather;
};

namespace {

using SteadyTime = std::chrono::steady_clock::time_point;

class SimulatedConnection : public HidConnection {
 public:
  SimulatedConnection(std::shared_ptr<SimulatedDeviceState> device,
                      std::chrono::milliseconds interval)
      : Source(std::move(device)),
        Interval(interval),
        NextReportDue(std::chrono::steady_clock::now() + interval) {}

  int Read(std::uint8_t* buffer, std::size_t length, int timeoutMs) override {
    std::unique_lock lock(Lock);
    const SteadyTime start = std::chrono::steady_clock::now();
    SteadyTime wakeAt = NextReportDue;
    if (timeoutMs >= 0) {
      wakeAt = std::min(wakeAt, start + std::chrono::milliseconds(timeoutMs));
    }
    WakeUpCalled.wait_until(lock, wakeAt, [this] { return Woken; });
    if (Woken) {
      return 0;
    }
    const SteadyTime now = std::chrono::steady_clock::now();
    if (now < NextReportDue) {
      return 0;
    }
    // A reader that fell behind gets no burst of old reports.
    NextReportDue += Interval;
    if (NextReportDue < now) {
      NextReportDue = now + Interval;
    }
    const Packet report = Source->NextReport();
    const std::size_t count = std::min(length, report.size());
    std::copy_n(report.begin(), count, buffer);
    return static_cast<int>(count);
  }

  void WakeUp() override {
    std::lock_guard lock(Lock);
    Woken = true;
    WakeUpCalled.notify_all();
  }

  bool WakeUpEndsReads() const override { return true; }

 private:
  const std::shared_ptr<SimulatedDeviceState> Source;
  const std::chrono::milliseconds Interval;
  std::mutex Lock;
  std::condition_variable WakeUpCalled;
  SteadyTime NextReportDue;
  bool Woken = false;
};

}  // namespace

std::uint32_t SimulationSeedFromClock() {
  return static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

SimulatedAnemometer::SimulatedAnemometer(std::chrono::milliseconds interval, std::uint32_t seed)
    : Interval(interval), State(std::make_shared<SimulatedDeviceState>(seed)) {}

SimulatedAnemometer::~SimulatedAnemometer() = default;

std::vector<HidDeviceInfo> SimulatedAnemometer::Enumerate(std::uint16_t vendorId,
                                                          std::uint16_t productId) {
  if (vendorId != kAnemometerVendorId || productId != kAnemometerProductId) {
    return {};
  }
  return {{kDevicePath, kAnemometerVendorId, kAnemometerProductId}};
}

HidIdentity SimulatedAnemometer::Identify(const std::string& path) {
  if (path != kDevicePath) {
    return {};
  }
  return {HidOpenOutcome::Opened, kAnemometerVendorId, kAnemometerProductId};
}

std::unique_ptr<HidConnection> SimulatedAnemometer::Open(const std::string& path) {
  if (path != kDevicePath) {
    return nullptr;
  }
  return std::make_unique<SimulatedConnection>(State, Interval);
}
