#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The seam between the anemometer link and whatever delivers HID input reports: hidapi on a real
// machine, the simulated anemometer in the demo, a scripted fake in tests. It follows hidapi's
// model: enumerate by identifiers, open a path, read (with a time-out unless reads can be woken),
// close.

// One HID device interface as enumeration lists it.
struct HidDeviceInfo {
  std::string Path;
  std::uint16_t VendorId = 0;
  std::uint16_t ProductId = 0;
};

enum class HidOpenOutcome {
  Opened,
  AccessDenied,  // the node exists but this user may not open it (held exclusively, no udev rule)
  Failed,        // anything else: gone, I/O error, not a path enumeration returned
};

// What the identification step learned about a path.
struct HidIdentity {
  HidOpenOutcome Outcome = HidOpenOutcome::Failed;
  std::uint16_t VendorId = 0;  // valid only when Outcome is Opened
  std::uint16_t ProductId = 0;
};

// An open device. Closed when destroyed.
class HidConnection {
 public:
  virtual ~HidConnection() = default;

  // Reads at most length bytes of one input report into buffer, waiting at most timeoutMs
  // (a negative time-out waits without limit). Returns the number of bytes read, 0 when the
  // time-out passed with nothing to read, -1 when the device failed or is gone.
  virtual int Read(std::uint8_t* buffer, std::size_t length, int timeoutMs) = 0;

  // May be called from another thread while Read runs: makes the read in flight, and every
  // later one, return 0 at once, so that a stop need not sit out the time-out. The link calls it
  // only when it is about to stop reading from this connection. A transport that cannot
  // interrupt a read may ignore it; its reads then end with their time-out.
  virtual void WakeUp() {}

  // True when WakeUp reliably ends a read in flight: the link then reads without a time-out and
  // the capture thread sleeps until a report comes or it is stopped.
  virtual bool WakeUpEndsReads() const { return false; }
};

class HidTransport {
 public:
  virtual ~HidTransport() = default;

  // The present device interfaces with these identifiers, in enumeration order.
  virtual std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) = 0;

  // Opens path briefly to confirm which device it is, then closes it again.
  virtual HidIdentity Identify(const std::string& path) = 0;

  // Opens path for reading; nullptr when that fails.
  virtual std::unique_ptr<HidConnection> Open(const std::string& path) = 0;
};
