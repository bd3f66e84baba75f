#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "device/usb_anemometer.h"
#include "tests/device/link_test_helpers.h"
#include "tests/support/fake_hid_transport.h"
#include "tests/support/fixed_clock.h"

namespace {

using namespace std::chrono_literals;

struct Lifecycle : ::testing::Test {
  FakeHidTransport hid;
  std::size_t anemometer = hid.AddAnemometer();
  FixedClock clock;
  NotificationLog log;
  std::vector<std::string> errors;
  TUsbAnemometer link{kAnemometerVendorId,
                      kAnemometerProductId,
                      log.Callback(),
                      hid,
                      clock,
                      [this](const std::string& text) { errors.push_back(text); }};
};

TEST_F(Lifecycle, StopWithoutStartChangesNothing) {
  EXPECT_EQ(link.StopReading(), 0);
  ASSERT_EQ(link.FindDevice(), 0);
  EXPECT_EQ(link.StopReading(), 0);
  EXPECT_EQ(hid.Opens(), 0);
  SystemTime time;
  Packet report{};
  report.fill(0xff);
  link.TakePacket(time, report);
  EXPECT_EQ(report, Packet{});
  EXPECT_EQ(time, SystemTime{});

  hid.QueueReport(anemometer, FakeHidTransport::MakeReport(1));
  ASSERT_EQ(link.StartReading(), 0);
  EXPECT_TRUE(log.WaitForData(1));
}

// The fake's reads can be woken, so the one thread sleeps in its reads without a time-out.
TEST_F(Lifecycle, StartingWhileCapturingStartsNoSecondThreadAndReadsWaitWithoutTimeOut) {
  ASSERT_EQ(link.FindDevice(), 0);
  ASSERT_EQ(link.StartReading(), 0);
  EXPECT_EQ(link.StartReading(), 0);
  EXPECT_EQ(hid.Opens(), 1);
  for (std::uint32_t counter = 1; counter <= 3; ++counter) {
    hid.QueueReport(anemometer, FakeHidTransport::MakeReport(counter));
  }
  ASSERT_TRUE(hid.WaitUntilIdle(anemometer));
  EXPECT_EQ(log.Data(), 3);
  link.StopReading();
  EXPECT_EQ(hid.OpenConnections(), 0);
  EXPECT_EQ(hid.ShortestReadTimeout(), -1);
  EXPECT_EQ(hid.LongestReadTimeout(), -1);
}

// hidapi cannot interrupt a read in flight: the stop must not wait for data that never comes.
TEST_F(Lifecycle, StopEndsASilentCaptureEvenWhenReadsCannotBeInterrupted) {
  hid.IgnoreWakeUps(true);
  ASSERT_EQ(link.FindDevice(), 0);
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(link.StartReading(), 0);
    ASSERT_TRUE(hid.WaitUntilIdle(anemometer));  // a read is waiting for data that never comes
    EXPECT_EQ(link.StopReading(), 0);
    EXPECT_EQ(hid.OpenConnections(), 0);
  }
  EXPECT_EQ(log.Data(), 0);
  EXPECT_EQ(log.Removed(), 0);
  EXPECT_GE(hid.ShortestReadTimeout(), 0);  // negative would block until data comes
  EXPECT_LE(hid.LongestReadTimeout(), 1000);
}

TEST_F(Lifecycle, ADestroyedLinkStopsItsCaptureAndJoinsAThreadThatEndedByItself) {
  FakeHidTransport other;
  const auto device = other.AddAnemometer();
  NotificationLog otherLog;
  {
    TUsbAnemometer running(kAnemometerVendorId, kAnemometerProductId, otherLog.Callback(), hid,
                           clock);
    ASSERT_EQ(running.FindDevice(), 0);
    ASSERT_EQ(running.StartReading(), 0);
    TUsbAnemometer failed(kAnemometerVendorId, kAnemometerProductId, otherLog.Callback(), other,
                          clock);
    other.QueueError(device);
    ASSERT_EQ(failed.FindDevice(), 0);
    ASSERT_EQ(failed.StartReading(), 0);
    ASSERT_TRUE(otherLog.WaitForRemoved(1));
  }
  EXPECT_EQ(hid.OpenConnections(), 0);
  EXPECT_EQ(other.OpenConnections(), 0);
  EXPECT_EQ(otherLog.Removed(), 1);
}

// The capture thread may end through its failure exit at the very moment the owner stops it;
// either way it must be joined exactly once (a second join or none aborts the process), the
// device closed, and at most one removal reported.
TEST_F(Lifecycle, AFailureRacingAStopReleasesTheThreadOnce) {
  std::mt19937 random(5);
  ASSERT_EQ(link.FindDevice(), 0);
  int removedBefore = 0;
  for (int cycle = 0; cycle < 300; ++cycle) {
    hid.QueueReport(anemometer, FakeHidTransport::MakeReport(static_cast<std::uint32_t>(cycle)));
    hid.QueueError(anemometer);
    ASSERT_EQ(link.StartReading(), 0);
    for (unsigned spin = random() % 100; spin > 0; --spin) {
      std::this_thread::yield();
    }
    if (cycle % 3 == 0) {
      log.WaitForRemoved(removedBefore + 1, 100ms);  // sometimes let the failure come first
    }
    EXPECT_EQ(link.StopReading(), 0);
    EXPECT_EQ(hid.OpenConnections(), 0);
    const int removed = log.Removed();
    EXPECT_LE(removed - removedBefore, 1);
    removedBefore = removed;
  }
  EXPECT_GT(log.Removed(), 0);
}

TEST_F(Lifecycle, AStopFromInsideTheDataNotificationEndsTheCapture) {
  NotificationLog seen;
  TUsbAnemometer* self = nullptr;
  TUsbAnemometer stopping(
      kAnemometerVendorId, kAnemometerProductId,
      [&](int message) {
        seen.Record(message);
        EXPECT_EQ(self->StopReading(), 0);
      },
      hid, clock);
  self = &stopping;
  for (std::uint32_t counter = 1; counter <= 5; ++counter) {
    hid.QueueReport(anemometer, FakeHidTransport::MakeReport(counter));
  }
  ASSERT_EQ(stopping.FindDevice(), 0);
  ASSERT_EQ(stopping.StartReading(), 0);
  ASSERT_TRUE(seen.WaitForData(1));
  EXPECT_EQ(stopping.StopReading(), 0);  // joins the thread the notification could not
  EXPECT_EQ(seen.Data(), 1);
  EXPECT_EQ(hid.OpenConnections(), 0);

  ASSERT_EQ(stopping.StartReading(), 0);
  ASSERT_TRUE(seen.WaitForData(2));
  stopping.StopReading();
  EXPECT_EQ(seen.Data(), 2);
}

// Makes thread creation fail by asking for stacks larger than the address space.
class ThreadCreationFails {
 public:
  ThreadCreationFails() {
    pthread_getattr_default_np(&Saved);
    pthread_attr_t huge;
    pthread_attr_init(&huge);
    pthread_attr_setstacksize(&huge, std::size_t{1} << 50);
    pthread_setattr_default_np(&huge);
    pthread_attr_destroy(&huge);
  }
  ~ThreadCreationFails() {
    pthread_setattr_default_np(&Saved);
    pthread_attr_destroy(&Saved);
  }
  ThreadCreationFails(const ThreadCreationFails&) = delete;
  ThreadCreationFails& operator=(const ThreadCreationFails&) = delete;

 private:
  pthread_attr_t Saved;
};

TEST_F(Lifecycle, AThreadThatCannotBeCreatedClosesTheDeviceAndSaysSo) {
  ASSERT_EQ(link.FindDevice(), 0);
  {
    ThreadCreationFails noThreads;
    EXPECT_EQ(link.StartReading(), -1);
  }
  EXPECT_EQ(errors, std::vector<std::string>{"Error starting capture thread."});
  EXPECT_EQ(hid.Opens(), 1);
  EXPECT_EQ(hid.OpenConnections(), 0);
  EXPECT_EQ(link.StopReading(), 0);

  hid.QueueReport(anemometer, FakeHidTransport::MakeReport(1));
  ASSERT_EQ(link.StartReading(), 0);
  EXPECT_TRUE(log.WaitForData(1));
}

// Start and stop again and again while reports keep arriving: no report may be published or
// notified once StopReading has returned, each report keeps its own time, and every device
// opened is closed again.
TEST(StartStopCycles, AThousandCyclesWithReportsInFlight) {
  constexpr int kCycles = 1000;
  FakeHidTransport hid;
  const auto anemometer = hid.AddAnemometer();
  DeliveryCountClock clock(hid);
  std::atomic<bool> stopped{true};
  std::atomic<int> lateMessages{0};
  std::atomic<int> published{0};
  TUsbAnemometer link(
      kAnemometerVendorId, kAnemometerProductId,
      [&](int message) {
        if (stopped) {
          ++lateMessages;
        }
        if (message == WM_ANEMOMETER_DATA) {
          ++published;
        }
      },
      hid, clock);

  std::atomic<bool> done{false};
  std::thread device([&] {
    std::uint32_t counter = 0;
    while (!done) {
      // Keep a few reports waiting, whether or not anyone reads.
      if (counter < hid.DeliveredReads() + 4) {
        hid.QueueReport(anemometer, FakeHidTransport::MakeReport(++counter));
      } else {
        hid.WaitForDeliveredReads(counter - 3, 1ms);
      }
    }
  });

  std::mt19937 random(11);
  ASSERT_EQ(link.FindDevice(), 0);
  std::uint32_t lastTaken = 0;
  bool countersRise = true;
  int timeMismatches = 0;
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    stopped = false;
    ASSERT_EQ(link.StartReading(), 0);
    if (cycle % 4 != 0) {  // every fourth stop comes at once, before the thread got going
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
    }
    ASSERT_EQ(link.StopReading(), 0);
    stopped = true;
    SystemTime time;
    Packet report{};
    link.TakePacket(time, report);
    countersRise = countersRise && CounterOf(report) >= lastTaken;
    if (CounterOf(report) != DeliveryCountClock::Decode(time)) {
      ++timeMismatches;
    }
    lastTaken = CounterOf(report);
  }
  done = true;
  device.join();

  EXPECT_EQ(lateMessages, 0);
  EXPECT_TRUE(countersRise);
  EXPECT_EQ(timeMismatches, 0);
  EXPECT_GT(published, 0);
  EXPECT_EQ(hid.Opens(), kCycles);
  EXPECT_EQ(hid.OpenConnections(), 0);
}

}  // namespace
