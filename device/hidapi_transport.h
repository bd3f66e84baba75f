#pragma once

#include <mutex>
#include <vector>

#include "device/hid_transport.h"

// The real device through hidapi's hidraw backend.
//
// hidapi 0.13 must only be handed paths that its own enumeration returned, so Identify and Open
// refuse any path the last Enumerate did not list.
class HidapiTransport : public HidTransport {
 public:
  HidapiTransport();
  ~HidapiTransport() override;

  HidapiTransport(const HidapiTransport&) = delete;
  HidapiTransport& operator=(const HidapiTransport&) = delete;

  std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override;
  HidIdentity Identify(const std::string& path) override;
  std::unique_ptr<HidConnection> Open(const std::string& path) override;

 private:
  const HidDeviceInfo* FindEnumerated(const std::string& path) const;

  mutable std::mutex Lock;
  std::vector<HidDeviceInfo> Enumerated;
};
