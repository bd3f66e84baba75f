#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "device/usb_anemometer.h"
#include "tests/device/link_test_helpers.h"
#include "tests/support/fake_hid_transport.h"
#include "tests/support/fixed_clock.h"

namespace {

using namespace std::chrono_literals;

std::vector<std::uint8_t> Slice(const Packet& report, std::size_t first, std::size_t count) {
  return {report.begin() + static_cast<std::ptrdiff_t>(first),
          report.begin() + static_cast<std::ptrdiff_t>(first + count)};
}

struct Capture : ::testing::Test {
  FakeHidTransport hid;
  std::size_t anemometer = hid.AddAnemometer();
  SettableClock clock;
  NotificationLog log;
  TUsbAnemometer link{kAnemometerVendorId, kAnemometerProductId, log.Callback(), hid, clock};

  void Start() {
    ASSERT_EQ(link.FindDevice(), 0);
    ASSERT_EQ(link.StartReading(), 0);
  }
  Packet Take(SystemTime* time = nullptr) {
    SystemTime arrival;
    Packet report{};
    link.TakePacket(arrival, report);
    if (time != nullptr) {
      *time = arrival;
    }
    return report;
  }
  void TearDown() override { link.StopReading(); }
};

TEST_F(Capture, AReportInPiecesIsPublishedOnceWithTheTimeOfItsLastPiece) {
  const Packet report = FakeHidTransport::MakeReport(42);
  Start();
  clock.Set(TimeOfDay(10, 0, 1));
  hid.QueueBytes(anemometer, Slice(report, 0, 10));
  ASSERT_TRUE(hid.WaitUntilIdle(anemometer));
  EXPECT_EQ(log.Data(), 0);

  clock.Set(TimeOfDay(10, 0, 2, 500));
  hid.QueueBytes(anemometer, Slice(report, 10, 12));
  ASSERT_TRUE(hid.WaitUntilIdle(anemometer));
  EXPECT_EQ(log.Data(), 1);
  SystemTime time;
  EXPECT_EQ(Take(&time), report);
  EXPECT_EQ(time, TimeOfDay(10, 0, 2, 500));
}

TEST_F(Capture, TimeOutsAndSilenceBetweenPiecesDoNotLoseThem) {
  const Packet report = FakeHidTransport::MakeReport(7);
  hid.QueueBytes(anemometer, Slice(report, 0, 5));
  hid.QueueTimeout(anemometer);
  hid.QueueBytes(anemometer, Slice(report, 5, 9));
  hid.QueueDelay(anemometer, 2 * std::chrono::milliseconds(TUsbAnemometer::kReadTimeoutMs));
  hid.QueueBytes(anemometer, Slice(report, 14, 8));
  hid.QueueReport(anemometer, FakeHidTransport::MakeReport(8));
  Start();
  ASSERT_TRUE(log.WaitForData(2));
  ASSERT_TRUE(hid.WaitUntilIdle(anemometer));
  EXPECT_EQ(log.Data(), 2);
  EXPECT_EQ(CounterOf(Take()), 8u);
}

TEST_F(Capture, AReportWithoutItsIdentifierGetsItBack) {
  const Packet report = FakeHidTransport::MakeReport(0x01020304);
  Start();
  hid.QueueBytes(anemometer, Slice(report, 1, 21));  // as hidapi delivers an unnumbered report
  ASSERT_TRUE(log.WaitForData(1));
  EXPECT_EQ(Take(), report);
}

TEST_F(Capture, ReportsPublishedBeforeTheWindowTakesOneAllNotifyAndTheNewestWins) {
  hid.QueueReport(anemometer, FakeHidTransport::MakeReport(1));
  hid.QueueReport(anemometer, FakeHidTransport::MakeReport(2));
  Start();
  ASSERT_TRUE(hid.WaitUntilIdle(anemometer));
  EXPECT_EQ(log.Data(), 2);
  EXPECT_EQ(CounterOf(Take()), 2u);
  EXPECT_EQ(CounterOf(Take()), 2u);  // taking does not consume
}

TEST(CaptureUnderLoad, EveryTakenReportCarriesItsOwnArrivalTime) {
  constexpr std::uint32_t kReports = 3000;
  FakeHidTransport hid;
  const auto anemometer = hid.AddAnemometer();
  DeliveryCountClock clock(hid);
  NotificationLog log;
  TUsbAnemometer link(kAnemometerVendorId, kAnemometerProductId, log.Callback(), hid, clock);
  for (std::uint32_t counter = 1; counter <= kReports; ++counter) {
    hid.QueueReport(anemometer, FakeHidTransport::MakeReport(counter));
  }
  ASSERT_EQ(link.FindDevice(), 0);
  ASSERT_EQ(link.StartReading(), 0);

  int mismatches = 0;
  std::uint32_t last = 0;
  const auto giveUp = std::chrono::steady_clock::now() + 60s;
  while (log.Data() < static_cast<int>(kReports)) {
    ASSERT_LT(std::chrono::steady_clock::now(), giveUp);
    SystemTime time;
    Packet report{};
    link.TakePacket(time, report);
    if (CounterOf(report) != DeliveryCountClock::Decode(time)) {
      ++mismatches;
    }
    EXPECT_GE(CounterOf(report), last);
    last = CounterOf(report);
  }
  link.StopReading();
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(log.Data(), static_cast<int>(kReports));
}

TEST_F(Capture, ALostDeviceIsReportedOnceAndClosedAndALaterStopIsQuiet) {
  const Packet report = FakeHidTransport::MakeReport(5);
  hid.QueueReport(anemometer, report);
  hid.QueueBytes(anemometer, Slice(FakeHidTransport::MakeReport(6), 0, 10));
  hid.QueueError(anemometer);
  hid.QueueReport(anemometer, FakeHidTransport::MakeReport(7));  // never read: the thread ended
  Start();
  ASSERT_TRUE(log.WaitForRemoved(1));
  ASSERT_TRUE(hid.WaitUntilClosed());
  EXPECT_EQ(link.StopReading(), 0);
  EXPECT_EQ(link.StopReading(), 0);
  EXPECT_EQ(log.Removed(), 1);
  EXPECT_EQ(log.Data(), 1);
  EXPECT_EQ(Take(), report);  // the half report before the failure was not published
  EXPECT_EQ(hid.Opens(), 1);
}

TEST_F(Capture, CaptureStartsAgainAfterTheDeviceCameBack) {
  hid.QueueError(anemometer);
  Start();
  ASSERT_TRUE(log.WaitForRemoved(1));

  hid.QueueReport(anemometer, FakeHidTransport::MakeReport(11));
  Start();  // joins the thread that ended by itself before starting a new one
  ASSERT_TRUE(log.WaitForData(1));
  EXPECT_EQ(CounterOf(Take()), 11u);
  EXPECT_EQ(hid.Opens(), 2);
  EXPECT_EQ(hid.OpenConnections(), 1);
  EXPECT_EQ(log.Removed(), 1);
}

TEST_F(Capture, TheLastReportAndItsTimeOutliveStopAndStart) {
  clock.Set(TimeOfDay(8, 30, 0));
  hid.QueueReport(anemometer, FakeHidTransport::MakeReport(3));
  Start();
  ASSERT_TRUE(log.WaitForData(1));
  link.StopReading();
  clock.Set(TimeOfDay(9, 0, 0));
  Start();
  ASSERT_TRUE(hid.WaitUntilIdle(anemometer));
  SystemTime time;
  EXPECT_EQ(CounterOf(Take(&time)), 3u);
  EXPECT_EQ(time, TimeOfDay(8, 30, 0));
}

TEST(CaptureWithoutWindow, ReportsAreStillKeptForTheTaking) {
  FakeHidTransport hid;
  const auto anemometer = hid.AddAnemometer();
  FixedClock clock(TimeOfDay(12, 0, 0));
  TUsbAnemometer link(kAnemometerVendorId, kAnemometerProductId, {}, hid, clock);
  hid.QueueReport(anemometer, FakeHidTransport::MakeReport(9));
  ASSERT_EQ(link.FindDevice(), 0);
  ASSERT_EQ(link.StartReading(), 0);
  ASSERT_TRUE(hid.WaitUntilIdle(anemometer));
  SystemTime time;
  Packet report{};
  link.TakePacket(time, report);
  EXPECT_EQ(CounterOf(report), 9u);
  EXPECT_EQ(time, TimeOfDay(12, 0, 0));
  hid.QueueError(anemometer);  // and a lost device, with nobody to tell, just ends the thread
  ASSERT_TRUE(hid.WaitUntilClosed());
  EXPECT_EQ(link.StopReading(), 0);
}

}  // namespace
