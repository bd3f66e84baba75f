#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/clock.h"
#include "core/packet.h"
#include "core/system_time.h"
#include "device/hid_transport.h"

// The two messages the capture thread sends to the main window (both without parameters).
inline constexpr int WM_USER = 0x0400;
inline constexpr int WM_ANEMOMETER_REMOVED = WM_USER + 1234;
inline constexpr int WM_ANEMOMETER_DATA = WM_USER + 1235;

inline constexpr std::uint16_t kAnemometerVendorId = 0x1234;
inline constexpr std::uint16_t kAnemometerProductId = 0x0001;

// Called on the capture thread with one of the two messages; the program turns it into a posted
// event. It must return promptly and must not destroy the link. May be empty (nothing is sent).
using AnemometerNotify = std::function<void(int message)>;
// Tells the user of a failure the caller cannot report itself ("Error starting capture thread.").
using AnemometerErrorReport = std::function<void(const std::string& text)>;

// The link to the anemometer: finds the device, runs the capture thread that keeps the newest
// complete report with its local arrival time, and hands that report over with TakePacket.
//
// FindDevice, DeviceListed, StartReading, StopReading and the destructor are called from one
// thread, the owner's; TakePacket may be called from any thread.
class TUsbAnemometer {
 public:
  // How long one read may wait for the device before the capture loop looks at the stop flag
  // again; bounds StopReading for transports that cannot interrupt a read (hidapi). Reads that
  // WakeUp can end wait without a time-out, so an idle capture thread never wakes.
  static constexpr int kReadTimeoutMs = 50;

  TUsbAnemometer(std::uint16_t vendorId, std::uint16_t productId, AnemometerNotify notify,
                 HidTransport& transport, Clock& clock, AnemometerErrorReport reportError = {});
  // The owner calls StopReading first; the destructor stops as well, so forgetting it is safe.
  ~TUsbAnemometer();

  TUsbAnemometer(const TUsbAnemometer&) = delete;
  TUsbAnemometer& operator=(const TUsbAnemometer&) = delete;

  // 0 when a device with the identifiers was found (its path is kept for StartReading), -1
  // otherwise. The first match in enumeration order wins; a device that refuses access is
  // skipped, any other failure ends the search.
  int FindDevice();

  // Whether the last FindDevice's enumeration listed a device with the identifiers, also one it
  // then skipped or could not identify: tells "not plugged in" from "plugged in but not usable".
  bool DeviceListed() const { return ListedByLastSearch; }

  // 0 when a capture thread runs afterwards (also when one already ran), -1 when none could be
  // started: no device found yet, the device did not open, or the thread could not be created.
  int StartReading();

  // Always 0. When it returns, no further report is published and no further message sent.
  int StopReading();

  // Copies the newest report and its arrival time, whether or not a new one came since the last
  // call. Both were stored together, so they always belong to each other.
  void TakePacket(SystemTime& time, ::Packet& packet);

 private:
  void CaptureLoop();
  void FailureExit();
  // Joins a thread that has ended or been told to stop, then closes the device it read from.
  void ReleaseThread(std::thread& thread);

  const std::uint16_t VendorId;
  const std::uint16_t ProductId;
  const AnemometerNotify NotifyWindow;
  HidTransport& Transport;
  Clock& LinkClock;
  const AnemometerErrorReport ReportError;

  // Owner's thread only.
  std::string DevicePath;
  bool DeviceFound = false;
  bool ListedByLastSearch = false;

  // Opened by StartReading and read by the capture thread. Closed by the capture thread's
  // failure exit (under LinkLock), or by whoever joins the thread, once it has ended.
  std::unique_ptr<HidConnection> DeviceHandle;

  // Guards CaptureThread, CaptureActive, Packet and ArrivalTime, and DeviceHandle while a
  // capture thread may still close it.
  std::mutex LinkLock;
  // Kept until joined, however the thread ended: whoever comes first of StopReading,
  // StartReading and the destructor joins it, exactly once.
  std::thread CaptureThread;
  // A capture runs and nobody has ended it yet. Cleared by StopReading or by the failure exit,
  // whichever comes first; only the failure exit that clears it sends WM_ANEMOMETER_REMOVED.
  bool CaptureActive = false;
  // Set by StopReading; the capture loop checks it after every read.
  std::atomic<bool> StopEvent{false};

  ::Packet Packet{};
  SystemTime ArrivalTime{};
};
