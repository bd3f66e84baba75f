#include "device/usb_anemometer.h"

#include <system_error>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <pthread.h>
#endif

#include "device/report_assembler.h"

TUsbAnemometer::TUsbAnemometer(std::uint16_t vendorId, std::uint16_t productId,
                               AnemometerNotify notify, HidTransport& transport, Clock& clock,
                               AnemometerErrorReport reportError)
    : VendorId(vendorId),
      ProductId(productId),
      NotifyWindow(std::move(notify)),
      Transport(transport),
      LinkClock(clock),
      ReportError(std::move(reportError)) {}

TUsbAnemometer::~TUsbAnemometer() { StopReading(); }

int TUsbAnemometer::FindDevice() {
  const std::vector<HidDeviceInfo> devices = Transport.Enumerate(VendorId, ProductId);
  ListedByLastSearch = !devices.empty();
  for (const HidDeviceInfo& info : devices) {
    const HidIdentity identity = Transport.Identify(info.Path);
    if (identity.Outcome == HidOpenOutcome::AccessDenied) {
      continue;  // held by another program or not ours to open; another one may be
    }
    if (identity.Outcome != HidOpenOutcome::Opened) {
      return -1;
    }
    if (identity.VendorId == VendorId && identity.ProductId == ProductId) {
      DevicePath = info.Path;
      DeviceFound = true;
      return 0;
    }
  }
  return -1;
}

int TUsbAnemometer::StartReading() {
  if (!DeviceFound) {
    return -1;
  }
  std::thread ended;
  {
    std::lock_guard lock(LinkLock);
    if (CaptureActive) {
      return 0;
    }
    if (CaptureThread.joinable()) {
      // Only possible when called from our own notification: a thread cannot join itself.
      if (CaptureThread.get_id() == std::this_thread::get_id()) {
        return -1;
      }
      ended = std::move(CaptureThread);
    }
  }
  ReleaseThread(ended);

  DeviceHandle = Transport.Open(DevicePath);
  if (!DeviceHandle) {
    return -1;
  }
  StopEvent = false;
  bool started = false;
  {
    // Created under LinkLock so that the new thread cannot reach its failure exit before it is
    // recorded as running.
    std::lock_guard lock(LinkLock);
    try {
      CaptureThread = std::thread(&TUsbAnemometer::CaptureLoop, this);
      CaptureActive = true;
      started = true;
    } catch (const std::system_error&) {
      started = false;
    }
  }
  if (!started) {
    DeviceHandle.reset();
    if (ReportError) {
      ReportError("Error starting capture thread.");
    }
    return -1;
  }
  return 0;
}

int TUsbAnemometer::StopReading() {
  std::thread stopping;
  {
    std::lock_guard lock(LinkLock);
    if (CaptureActive) {
      CaptureActive = false;
      StopEvent = true;
      // Still open: only the failure exit closes it, and that clears CaptureActive first.
      DeviceHandle->WakeUp();
    }
    // From our own notification the thread is left for the next StartReading or StopReading
    // to join; it stops at its next look at StopEvent, before publishing anything more.
    if (CaptureThread.joinable() && CaptureThread.get_id() != std::this_thread::get_id()) {
      stopping = std::move(CaptureThread);
    }
  }
  ReleaseThread(stopping);
  return 0;
}

void TUsbAnemometer::TakePacket(SystemTime& time, ::Packet& packet) {
  std::lock_guard lock(LinkLock);
  time = ArrivalTime;
  packet = Packet;
}

void TUsbAnemometer::ReleaseThread(std::thread& thread) {
  if (!thread.joinable()) {
    return;
  }
  thread.join();
  DeviceHandle.reset();
}

void TUsbAnemometer::CaptureLoop() {
#if defined(__linux__)
  // Named, so that thread lists (top -H, /proc, bench/count_wakeups) tell it from the window's.
  pthread_setname_np(pthread_self(), "anemometer-read");
#endif
  ReportAssembler assembler;
  const int timeoutMs = DeviceHandle->WakeUpEndsReads() ? -1 : kReadTimeoutMs;
  while (!StopEvent) {
    const int bytes =
        DeviceHandle->Read(assembler.WritePosition(), assembler.Remaining(), timeoutMs);
    if (StopEvent) {
      return;  // whatever arrived is abandoned with the device
    }
    if (bytes < 0) {
      FailureExit();
      return;
    }
    if (!assembler.Add(static_cast<std::size_t>(bytes))) {
      continue;
    }
    const SystemTime arrival = LinkClock.LocalTime();
    {
      std::lock_guard lock(LinkLock);
      Packet = assembler.Report();
      ArrivalTime = arrival;
    }
    if (NotifyWindow) {
      NotifyWindow(WM_ANEMOMETER_DATA);
    }
  }
}

void TUsbAnemometer::FailureExit() {
  bool ended = false;
  {
    std::lock_guard lock(LinkLock);
    DeviceHandle.reset();
    ended = CaptureActive;
    CaptureActive = false;
  }
  // A stop that came first has taken over; the user asked for the end, no need to report it.
  if (ended && NotifyWindow) {
    NotifyWindow(WM_ANEMOMETER_REMOVED);
  }
}
