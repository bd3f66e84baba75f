#include "device/hidapi_transport.h"

#include <fcntl.h>
#include <hidapi.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// hid_init and hid_exit are process-wide: the first transport initialises the library and the
// last one to go releases it.
std::mutex LibraryLock;
int LibraryUsers = 0;

class HidapiConnection : public HidConnection {
 public:
  explicit HidapiConnection(hid_device* device) : Device(device) {}
  ~HidapiConnection() override { hid_close(Device); }

  HidapiConnection(const HidapiConnection&) = delete;
  HidapiConnection& operator=(const HidapiConnection&) = delete;

  // hidapi cannot interrupt a read; WakeUp stays a no-op and the time-out bounds the wait.
  int Read(std::uint8_t* buffer, std::size_t length, int timeoutMs) override {
    return hid_read_timeout(Device, buffer, length, timeoutMs);
  }

 private:
  hid_device* const Device;
};

}  // namespace

HidapiTransport::HidapiTransport() {
  std::lock_guard lock(LibraryLock);
  if (LibraryUsers++ == 0) {
    hid_init();  // a failure shows up as an empty enumeration
  }
}

HidapiTransport::~HidapiTransport() {
  std::lock_guard lock(LibraryLock);
  if (--LibraryUsers == 0) {
    hid_exit();
  }
}

std::vector<HidDeviceInfo> HidapiTransport::Enumerate(std::uint16_t vendorId,
                                                      std::uint16_t productId) {
  std::vector<HidDeviceInfo> found;
  hid_device_info* const list = hid_enumerate(vendorId, productId);
  for (const hid_device_info* info = list; info != nullptr; info = info->next) {
    if (info->path != nullptr) {
      found.push_back({info->path, info->vendor_id, info->product_id});
    }
  }
  hid_free_enumeration(list);
  std::lock_guard lock(Lock);
  Enumerated = found;
  return found;
}

const HidDeviceInfo* HidapiTransport::FindEnumerated(const std::string& path) const {
  const auto it = std::find_if(Enumerated.begin(), Enumerated.end(),
                               [&](const HidDeviceInfo& info) { return info.Path == path; });
  return it == Enumerated.end() ? nullptr : &*it;
}

HidIdentity HidapiTransport::Identify(const std::string& path) {
  HidIdentity identity;
  {
    std::lock_guard lock(Lock);
    const HidDeviceInfo* info = FindEnumerated(path);
    if (info == nullptr) {
      return identity;
    }
    identity.VendorId = info->VendorId;
    identity.ProductId = info->ProductId;
  }
  // Probe with the access that reading will need: hidapi opens hidraw nodes read-write, and a
  // node this user may not open is skipped rather than ending the search.
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    identity.Outcome =
        (errno == EACCES || errno == EPERM) ? HidOpenOutcome::AccessDenied : HidOpenOutcome::Failed;
    return identity;
  }
  ::close(fd);
  identity.Outcome = HidOpenOutcome::Opened;
  return identity;
}

std::unique_ptr<HidConnection> HidapiTransport::Open(const std::string& path) {
  {
    std::lock_guard lock(Lock);
    if (FindEnumerated(path) == nullptr) {
      return nullptr;
    }
  }
  hid_device* const device = hid_open_path(path.c_str());
  if (device == nullptr) {
    return nullptr;
  }
  return std::make_unique<HidapiConnection>(device);
}
