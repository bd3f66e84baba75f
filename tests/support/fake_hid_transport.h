#pragma once

// FakeHidTransport: a scripted HID transport that stands in for the anemometer in tests of the
// device link and of everything driven by it (the main window, end-to-end captures).
//
//   FakeHidTransport hid;
//   const std::size_t anemometer = hid.AddAnemometer();          // "/dev/hidraw0", 1234:0001
//   hid.QueueReport(anemometer, FakeHidTransport::MakeReport(1)); // one whole report
//   TUsbAnemometer link(kAnemometerVendorId, kAnemometerProductId, notify, hid, clock);
//   link.FindDevice(); link.StartReading();
//   hid.WaitUntilIdle(anemometer);   // the report was read, published and notified
//
// Devices
//   AddDevice(path, vendor, product) adds a device and returns its number (0, 1, ...).
//   Enumerate lists the plugged-in devices with the asked identifiers, in the order they were
//   added. Per device:
//     SetIdentifyOutcome(device, HidOpenOutcome::AccessDenied or ::Failed): the identification
//       step refuses it (held by another program, or an I/O error).
//     SetOpenFails(device, true): opening it for reading fails.
//     Unplug(device): reads on an open connection fail (-1) from now on, and the device is no
//       longer enumerated, identified or opened. Replug(device) brings it back.
//
// Script of reads
//   Each device has a queue of steps; every Read on a connection to it takes the next one. The
//   queue belongs to the device, so what a closed connection left is read by the next one.
//     QueueReport(device, packet)   one read delivers the 22 bytes
//     QueueBytes(device, bytes)     one read delivers these bytes: a piece of a report, a 21-byte
//                                   report without its identifier as hidapi delivers it, ...
//                                   A read asking for fewer gets the first ones and the rest is
//                                   lost, as with hidraw.
//     QueueTimeout(device)          one read returns 0 at once
//     QueueDelay(device, duration)  the device stays silent for duration from the moment a read
//                                   reaches this step; reads meanwhile end with their time-out
//     QueueError(device)            one read returns -1 (the device failed); that connection
//                                   keeps failing, a new one reads on
//   Steps may be queued at any time, also from another thread while the link reads; a waiting
//   read takes them at once. With an empty queue a read waits for its time-out: an idle device.
//
// Wake-ups
//   HidConnection::WakeUp makes the connection's reads return 0 at once, as the link's stop
//   needs, and the link reads without a time-out. IgnoreWakeUps(true) makes the fake behave
//   like hidapi, whose reads cannot be interrupted and end only with their time-out.
//
// Observation (all thread-safe)
//   OpenConnections(), Opens(), OpenedPaths(), DeliveredReads() (reads that returned bytes),
//   ShortestReadTimeout() / LongestReadTimeout() (the time-outs reads were called with),
//   WaitUntilIdle(device, limit): waits until the device's queue is empty and a read waits on it,
//   that is, the link has handled everything queued (published and notified) and reads again.
//   (Where the notification posts an event, the event loop still has to deliver it.)
//   WaitForDeliveredReads(count, limit): waits until that many reads have returned bytes.
//   WaitUntilClosed(limit): waits until no connection is open.
//
// MakeReport(counter, ...) builds a report that parses, with the text fields given.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/packet.h"
#include "core/packet_encoder.h"
#include "device/hid_transport.h"
#include "device/usb_anemometer.h"

class FakeHidTransport : public HidTransport {
 public:
  using SteadyClock = std::chrono::steady_clock;

  FakeHidTransport() : S(std::make_shared<Shared>()) {}

  std::size_t AddDevice(std::string path, std::uint16_t vendorId, std::uint16_t productId) {
    std::lock_guard lock(S->Lock);
    Device device;
    device.Path = std::move(path);
    device.VendorId = vendorId;
    device.ProductId = productId;
    S->Devices.push_back(std::move(device));
    return S->Devices.size() - 1;
  }
  std::size_t AddAnemometer(std::string path = "/dev/hidraw0") {
    return AddDevice(std::move(path), kAnemometerVendorId, kAnemometerProductId);
  }

  void SetIdentifyOutcome(std::size_t device, HidOpenOutcome outcome) {
    std::lock_guard lock(S->Lock);
    S->Devices.at(device).IdentifyOutcome = outcome;
  }
  void SetOpenFails(std::size_t device, bool fails) {
    std::lock_guard lock(S->Lock);
    S->Devices.at(device).OpenFails = fails;
  }
  void Unplug(std::size_t device) { SetPlugged(device, false); }
  void Replug(std::size_t device) { SetPlugged(device, true); }
  void IgnoreWakeUps(bool ignore) {
    std::lock_guard lock(S->Lock);
    S->WakeUpsIgnored = ignore;
  }

  void QueueBytes(std::size_t device, std::vector<std::uint8_t> bytes) {
    Queue(device, Step{StepKind::Bytes, std::move(bytes), {}});
  }
  void QueueReport(std::size_t device, const Packet& report) {
    QueueBytes(device, std::vector<std::uint8_t>(report.begin(), report.end()));
  }
  void QueueTimeout(std::size_t device) { Queue(device, Step{StepKind::Timeout, {}, {}}); }
  void QueueDelay(std::size_t device, std::chrono::milliseconds duration) {
    Queue(device, Step{StepKind::Delay, {}, duration});
  }
  void QueueError(std::size_t device) { Queue(device, Step{StepKind::Error, {}, {}}); }

  int OpenConnections() const {
    std::lock_guard lock(S->Lock);
    return S->OpenConnections;
  }
  int Opens() const {
    std::lock_guard lock(S->Lock);
    return static_cast<int>(S->OpenedPaths.size());
  }
  std::vector<std::string> OpenedPaths() const {
    std::lock_guard lock(S->Lock);
    return S->OpenedPaths;
  }
  std::size_t DeliveredReads() const {
    std::lock_guard lock(S->Lock);
    return S->DeliveredReads;
  }
  int ShortestReadTimeout() const {
    std::lock_guard lock(S->Lock);
    return S->ShortestTimeout;
  }
  int LongestReadTimeout() const {
    std::lock_guard lock(S->Lock);
    return S->LongestTimeout;
  }

  bool WaitUntilIdle(std::size_t device,
                     std::chrono::milliseconds limit = std::chrono::seconds(10)) const {
    std::unique_lock lock(S->Lock);
    return S->Observed.wait_for(lock, limit, [&] {
      const Device& d = S->Devices.at(device);
      return d.Script.empty() && d.WaitingReads > 0;
    });
  }
  bool WaitForDeliveredReads(std::size_t count,
                             std::chrono::milliseconds limit = std::chrono::seconds(10)) const {
    std::unique_lock lock(S->Lock);
    return S->Observed.wait_for(lock, limit, [&] { return S->DeliveredReads >= count; });
  }
  bool WaitUntilClosed(std::chrono::milliseconds limit = std::chrono::seconds(10)) const {
    std::unique_lock lock(S->Lock);
    return S->Observed.wait_for(lock, limit, [&] { return S->OpenConnections == 0; });
  }

  // A report with the text fields given, laid out by the report encoder (EncodePacketTexts);
  // the defaults make one that parses.
  static Packet MakeReport(std::uint32_t counter, std::string_view average = "01000",
                           std::string_view gust = "02000", std::string_view direction = "05",
                           std::string_view temperature = "12.5") {
    return EncodePacketTexts(counter, {average, gust, direction, temperature});
  }

  // HidTransport

  std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override {
    std::lock_guard lock(S->Lock);
    std::vector<HidDeviceInfo> found;
    for (const Device& d : S->Devices) {
      if (d.Plugged && d.VendorId == vendorId && d.ProductId == productId) {
        found.push_back({d.Path, d.VendorId, d.ProductId});
      }
    }
    return found;
  }

  HidIdentity Identify(const std::string& path) override {
    std::lock_guard lock(S->Lock);
    const Device* d = Find(path);
    if (d == nullptr || !d->Plugged) {
      return {};
    }
    if (d->IdentifyOutcome != HidOpenOutcome::Opened) {
      return {d->IdentifyOutcome, 0, 0};
    }
    return {HidOpenOutcome::Opened, d->VendorId, d->ProductId};
  }

  std::unique_ptr<HidConnection> Open(const std::string& path) override {
    std::lock_guard lock(S->Lock);
    const Device* d = Find(path);
    if (d == nullptr || !d->Plugged || d->OpenFails) {
      return nullptr;
    }
    S->OpenedPaths.push_back(path);
    ++S->OpenConnections;
    S->Observed.notify_all();
    return std::make_unique<Connection>(S, static_cast<std::size_t>(d - S->Devices.data()));
  }

 private:
  enum class StepKind { Bytes, Timeout, Delay, Error };
  struct Step {
    StepKind Kind;
    std::vector<std::uint8_t> Bytes;
    std::chrono::milliseconds Duration;
  };
  struct Device {
    std::string Path;
    std::uint16_t VendorId = 0;
    std::uint16_t ProductId = 0;
    HidOpenOutcome IdentifyOutcome = HidOpenOutcome::Opened;
    bool OpenFails = false;
    bool Plugged = true;
    std::deque<Step> Script;
    std::optional<SteadyClock::time_point> SilentUntil;  // the Delay step at the front has begun
    int WaitingReads = 0;
  };
  // Everything lives here, so that a connection may outlive the transport object safely.
  struct Shared {
    mutable std::mutex Lock;
    // Reads wait on Changed (new steps, wake-ups, unplugging); observers wait on Observed (what
    // reads and opening do). Two of them, so that reads never wake each other in turn.
    mutable std::condition_variable Changed;
    mutable std::condition_variable Observed;
    std::vector<Device> Devices;
    bool WakeUpsIgnored = false;
    int OpenConnections = 0;
    std::vector<std::string> OpenedPaths;
    std::size_t DeliveredReads = 0;
    int ShortestTimeout = std::numeric_limits<int>::max();
    int LongestTimeout = std::numeric_limits<int>::min();
  };

  class Connection : public HidConnection {
   public:
    Connection(std::shared_ptr<Shared> shared, std::size_t device)
        : S(std::move(shared)), DeviceIndex(device) {}
    ~Connection() override {
      std::lock_guard lock(S->Lock);
      --S->OpenConnections;
      S->Observed.notify_all();
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int Read(std::uint8_t* buffer, std::size_t length, int timeoutMs) override {
      std::unique_lock lock(S->Lock);
      S->ShortestTimeout = std::min(S->ShortestTimeout, timeoutMs);
      S->LongestTimeout = std::max(S->LongestTimeout, timeoutMs);
      std::optional<SteadyClock::time_point> deadline;
      if (timeoutMs >= 0) {
        deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
      }
      for (;;) {
        Device& d = S->Devices[DeviceIndex];
        if (Woken && !S->WakeUpsIgnored) {
          return 0;
        }
        if (Failed || !d.Plugged) {
          Failed = true;
          return -1;
        }
        if (d.Script.empty()) {
          ++d.WaitingReads;
          S->Observed.notify_all();
          const bool timedOut = !WaitUntil(lock, deadline);
          --S->Devices[DeviceIndex].WaitingReads;
          if (timedOut) {
            return 0;
          }
          continue;
        }
        Step& step = d.Script.front();
        switch (step.Kind) {
          case StepKind::Bytes: {
            const std::size_t count = std::min(length, step.Bytes.size());
            std::copy_n(step.Bytes.begin(), count, buffer);
            d.Script.pop_front();
            ++S->DeliveredReads;
            S->Observed.notify_all();
            return static_cast<int>(count);
          }
          case StepKind::Timeout:
            d.Script.pop_front();
            S->Observed.notify_all();
            return 0;
          case StepKind::Error:
            d.Script.pop_front();
            Failed = true;
            S->Observed.notify_all();
            return -1;
          case StepKind::Delay: {
            const SteadyClock::time_point now = SteadyClock::now();
            if (!d.SilentUntil) {
              d.SilentUntil = now + step.Duration;
            }
            if (now >= *d.SilentUntil) {
              d.SilentUntil.reset();
              d.Script.pop_front();
              S->Observed.notify_all();
              continue;
            }
            const SteadyClock::time_point silentUntil = *d.SilentUntil;
            if (deadline && *deadline <= silentUntil) {
              S->Changed.wait_until(lock, *deadline);  // wakes early only to look again
              if (SteadyClock::now() >= *deadline) {
                return 0;
              }
            } else {
              S->Changed.wait_until(lock, silentUntil);
            }
            continue;
          }
        }
      }
    }

    void WakeUp() override {
      std::lock_guard lock(S->Lock);
      Woken = true;
      S->Changed.notify_all();
    }

    bool WakeUpEndsReads() const override {
      std::lock_guard lock(S->Lock);
      return !S->WakeUpsIgnored;
    }

   private:
    // Waits for a change; false when the deadline passed first.
    bool WaitUntil(std::unique_lock<std::mutex>& lock,
                   const std::optional<SteadyClock::time_point>& deadline) {
      if (!deadline) {
        S->Changed.wait(lock);
        return true;
      }
      return S->Changed.wait_until(lock, *deadline) == std::cv_status::no_timeout ||
             SteadyClock::now() < *deadline;
    }

    const std::shared_ptr<Shared> S;
    const std::size_t DeviceIndex;
    bool Woken = false;   // guarded by S->Lock
    bool Failed = false;  // guarded by S->Lock
  };

  const Device* Find(const std::string& path) const {
    for (const Device& d : S->Devices) {
      if (d.Path == path) {
        return &d;
      }
    }
    return nullptr;
  }
  void SetPlugged(std::size_t device, bool plugged) {
    std::lock_guard lock(S->Lock);
    S->Devices.at(device).Plugged = plugged;
    S->Changed.notify_all();
  }
  void Queue(std::size_t device, Step step) {
    std::lock_guard lock(S->Lock);
    S->Devices.at(device).Script.push_back(std::move(step));
    S->Changed.notify_all();
  }

  std::shared_ptr<Shared> S;
};
