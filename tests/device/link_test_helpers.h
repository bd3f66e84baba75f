#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "core/clock.h"
#include "core/packet.h"
#include "device/usb_anemometer.h"
#include "tests/support/fake_hid_transport.h"

// Counts the link's messages (they arrive on the capture thread) and lets a test wait for them.
class NotificationLog {
 public:
  AnemometerNotify Callback() {
    return [this](int message) { Record(message); };
  }

  void Record(int message) {
    std::lock_guard lock(Lock);
    if (message == WM_ANEMOMETER_DATA) {
      ++DataCount;
    } else if (message == WM_ANEMOMETER_REMOVED) {
      ++RemovedCount;
    }
    Changed.notify_all();
  }

  int Data() const {
    std::lock_guard lock(Lock);
    return DataCount;
  }
  int Removed() const {
    std::lock_guard lock(Lock);
    return RemovedCount;
  }

  bool WaitForData(int count, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    std::unique_lock lock(Lock);
    return Changed.wait_for(lock, limit, [&] { return DataCount >= count; });
  }
  bool WaitForRemoved(int count, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    std::unique_lock lock(Lock);
    return Changed.wait_for(lock, limit, [&] { return RemovedCount >= count; });
  }

 private:
  mutable std::mutex Lock;
  std::condition_variable Changed;
  int DataCount = 0;
  int RemovedCount = 0;
};

// A clock the test moves while the capture thread reads it.
class SettableClock : public Clock {
 public:
  SystemTime LocalTime() override {
    std::lock_guard lock(Lock);
    return Time;
  }
  void Set(const SystemTime& time) {
    std::lock_guard lock(Lock);
    Time = time;
  }

 private:
  std::mutex Lock;
  SystemTime Time;
};

// The clock tells the time as the number of reports delivered so far, and report k carries
// counter k, so a report stored with another one's time shows up as a mismatch.
class DeliveryCountClock : public Clock {
 public:
  explicit DeliveryCountClock(const FakeHidTransport& hid) : Hid(hid) {}
  SystemTime LocalTime() override {
    const auto delivered = static_cast<std::uint32_t>(Hid.DeliveredReads());
    SystemTime time;
    time.Minute = static_cast<std::uint16_t>(delivered / 60000);
    time.Second = static_cast<std::uint16_t>(delivered / 1000 % 60);
    time.Millisecond = static_cast<std::uint16_t>(delivered % 1000);
    return time;
  }
  static std::uint32_t Decode(const SystemTime& time) {
    return std::uint32_t{time.Minute} * 60000 + std::uint32_t{time.Second} * 1000 +
           time.Millisecond;
  }

 private:
  const FakeHidTransport& Hid;
};

inline SystemTime TimeOfDay(std::uint16_t hour, std::uint16_t minute, std::uint16_t second,
                            std::uint16_t millisecond = 0) {
  SystemTime time;
  time.Year = 2024;
  time.Month = 3;
  time.Day = 14;
  time.DayOfWeek = 4;
  time.Hour = hour;
  time.Minute = minute;
  time.Second = second;
  time.Millisecond = millisecond;
  return time;
}

inline std::uint32_t CounterOf(const Packet& report) {
  return (std::uint32_t{report[1]} << 24) | (std::uint32_t{report[2]} << 16) |
         (std::uint32_t{report[3]} << 8) | std::uint32_t{report[4]};
}
