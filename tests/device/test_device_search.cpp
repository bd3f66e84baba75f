#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/usb_anemometer.h"
#include "tests/support/fake_hid_transport.h"
#include "tests/support/fixed_clock.h"

namespace {

struct DeviceSearch : ::testing::Test {
  FakeHidTransport hid;
  FixedClock clock;
  std::vector<std::string> errors;
  TUsbAnemometer link{
      kAnemometerVendorId, kAnemometerProductId, {}, hid, clock, [this](const std::string& text) {
        errors.push_back(text);
      }};

  // The path that StartReading opened, after a successful search.
  std::string PathInUse() {
    EXPECT_EQ(link.StartReading(), 0);
    const auto paths = hid.OpenedPaths();
    link.StopReading();
    return paths.empty() ? std::string() : paths.back();
  }
};

TEST_F(DeviceSearch, WithoutTheDeviceNothingIsFoundAndNothingStarts) {
  hid.AddDevice("/dev/hidraw0", 0x046d, 0xc52b);  // somebody's mouse
  EXPECT_EQ(link.FindDevice(), -1);
  EXPECT_EQ(link.StartReading(), -1);
  EXPECT_EQ(hid.Opens(), 0);
  EXPECT_TRUE(errors.empty());
}

TEST_F(DeviceSearch, TheFirstMatchInEnumerationOrderWins) {
  hid.AddDevice("/dev/hidraw0", 0x046d, 0xc52b);
  hid.AddAnemometer("/dev/hidraw1");
  hid.AddAnemometer("/dev/hidraw2");
  ASSERT_EQ(link.FindDevice(), 0);
  EXPECT_EQ(PathInUse(), "/dev/hidraw1");
}

TEST_F(DeviceSearch, ADeviceThatRefusesAccessIsSkipped) {
  const auto held = hid.AddAnemometer("/dev/hidraw1");
  hid.AddAnemometer("/dev/hidraw2");
  hid.SetIdentifyOutcome(held, HidOpenOutcome::AccessDenied);
  ASSERT_EQ(link.FindDevice(), 0);
  EXPECT_EQ(PathInUse(), "/dev/hidraw2");
}

TEST_F(DeviceSearch, AnyOtherFailureEndsTheSearch) {
  const auto broken = hid.AddAnemometer("/dev/hidraw1");
  hid.AddAnemometer("/dev/hidraw2");
  hid.SetIdentifyOutcome(broken, HidOpenOutcome::Failed);
  EXPECT_EQ(link.FindDevice(), -1);
  EXPECT_EQ(link.StartReading(), -1);
  EXPECT_EQ(hid.Opens(), 0);
}

TEST_F(DeviceSearch, ANewSearchFollowsTheDeviceToItsNewPath) {
  const auto first = hid.AddAnemometer("/dev/hidraw1");
  ASSERT_EQ(link.FindDevice(), 0);
  hid.Unplug(first);
  hid.AddAnemometer("/dev/hidraw4");
  ASSERT_EQ(link.FindDevice(), 0);
  EXPECT_EQ(PathInUse(), "/dev/hidraw4");
}

TEST_F(DeviceSearch, ADeviceThatWillNotOpenStartsNothingAndSaysNothing) {
  const auto anemometer = hid.AddAnemometer();
  hid.SetOpenFails(anemometer, true);
  ASSERT_EQ(link.FindDevice(), 0);
  EXPECT_EQ(link.StartReading(), -1);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(link.StopReading(), 0);

  hid.SetOpenFails(anemometer, false);
  EXPECT_EQ(link.StartReading(), 0);
  EXPECT_EQ(hid.OpenConnections(), 1);
  EXPECT_EQ(link.StopReading(), 0);
  EXPECT_EQ(hid.OpenConnections(), 0);
}

}  // namespace
