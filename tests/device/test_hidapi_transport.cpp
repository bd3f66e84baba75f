#include <gtest/gtest.h>

#include "device/hidapi_transport.h"
#include "device/usb_anemometer.h"
#include "tests/support/fixed_clock.h"

namespace {

TEST(HidapiTransport, WithoutAnAnemometerNothingIsFoundAndNothingStarts) {
  HidapiTransport hid;
  if (!hid.Enumerate(kAnemometerVendorId, kAnemometerProductId).empty()) {
    GTEST_SKIP() << "an anemometer is plugged into this machine";
  }
  FixedClock clock;
  int messages = 0;
  TUsbAnemometer link(
      kAnemometerVendorId, kAnemometerProductId, [&](int) { ++messages; }, hid, clock);
  EXPECT_EQ(link.FindDevice(), -1);
  EXPECT_EQ(link.StartReading(), -1);
  EXPECT_EQ(link.StopReading(), 0);
  EXPECT_EQ(messages, 0);
}

// hidapi must never be handed a path its enumeration did not return.
TEST(HidapiTransport, RefusesPathsItDidNotEnumerate) {
  HidapiTransport hid;
  hid.Enumerate(kAnemometerVendorId, kAnemometerProductId);
  EXPECT_EQ(hid.Identify("/dev/null").Outcome, HidOpenOutcome::Failed);
  EXPECT_EQ(hid.Open("/dev/null"), nullptr);
  EXPECT_EQ(hid.Open(""), nullptr);
}

}  // namespace
