// DecodePacket: the format check, the counter rule, conversion and the samples it hands on.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "core/measurement_core.h"
#include "tests/support/packet_builder.h"
#include "tests/support/recording_consumer.h"

namespace {

using Call = RecordingConsumer::Call;

class DecoderTest : public ::testing::Test {
 protected:
  DecoderTest() {
    core_.Calibration() = DefaultCalibrationTable();
    core_.AddConsumer(sink_);
  }

  // Decodes a well-formed packet with this counter; returns how many samples it produced.
  std::size_t Decode(std::int32_t counter) {
    const std::uint64_t before = core_.Statistics().Count();
    core_.DecodePacket(MakePacket(counter), arrival_);
    return static_cast<std::size_t>(core_.Statistics().Count() - before);
  }

  RecordingConsumer sink_;
  MeasurementCore core_{sink_.InvalidPacketHandler()};
  SystemTime arrival_{2008, 12, 6, 6, 9, 5, 7, 250};
};

}  // namespace

TEST_F(DecoderTest, ProcessesOnePacketAfterTheFirst) {
  core_.DecodePacket(MakePacket(1, "00500", "00600", "01", "0"), arrival_);
  EXPECT_TRUE(sink_.calls.empty());  // the first packet after a reset is dropped
  EXPECT_FALSE(core_.FirstPacketPending());
  EXPECT_EQ(core_.LastPacketCounter(), 0);

  core_.Calibration() = {{1000.0f, 500.0f}};  // so that average and gust differ
  core_.DecodePacket(MakePacket(2, "01000", "02000", "05", "12.5"), arrival_);
  ASSERT_EQ(core_.Records().Size(), 1u);
  const MeasurementRecord& record = core_.Records().Newest();
  EXPECT_EQ(record.Sector, 4);  // "E"
  EXPECT_EQ(record.Time, arrival_);
  EXPECT_EQ(record.Temperature, 12.5f);
  EXPECT_EQ(record.AvgSpeed, 2.0f);
  EXPECT_EQ(record.GustSpeed, 4.0f);
  EXPECT_EQ(sink_.calls, (std::vector{Call::BeginReport, Call::TakeRecord, Call::EndReport}));
  EXPECT_FALSE(sink_.taken[0].Context.MadeUp);
  EXPECT_EQ(core_.LastPacketCounter(), 2);
}

TEST_F(DecoderTest, CounterRuleDropsRepeatsAndMakesUpMissedPackets) {
  EXPECT_EQ(Decode(7), 0u);   // first packet
  EXPECT_EQ(Decode(8), 1u);   // taken whatever its counter
  EXPECT_EQ(Decode(8), 0u);   // already taken
  EXPECT_EQ(Decode(11), 3u);  // two missed
  EXPECT_EQ(Decode(100), 89u);
  EXPECT_EQ(Decode(40), 0u);  // went back: nothing, but 40 is the new last counter
  EXPECT_EQ(core_.LastPacketCounter(), 40);
  EXPECT_EQ(Decode(41), 1u);
}

TEST_F(DecoderTest, MadeUpSamplesAreFullCopies) {
  Decode(1);
  Decode(2);
  sink_.Clear();
  ASSERT_EQ(Decode(5), 3u);
  EXPECT_EQ(sink_.calls, (std::vector{Call::BeginReport, Call::TakeRecord, Call::TakeRecord,
                                      Call::TakeRecord, Call::EndReport}));
  EXPECT_EQ(sink_.reportRows, std::vector<std::int32_t>{3});  // announced as one report's rows
  EXPECT_EQ(sink_.openReports, 0);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(sink_.taken[i].Record.Time, arrival_);
    EXPECT_EQ(sink_.taken[i].Record.AvgSpeed, sink_.taken[0].Record.AvgSpeed);
    EXPECT_EQ(sink_.taken[i].Record.Temperature, 12.5f);
    // The two missed reports are made up; the last row is the one that arrived.
    EXPECT_EQ(sink_.taken[i].Context.MadeUp, i < 2) << i;
  }
  EXPECT_EQ(core_.Statistics().Count(), 4u);
}

TEST_F(DecoderTest, CounterZeroLeavesTheNextPacketUncounted) {
  Decode(1);
  EXPECT_EQ(Decode(0), 1u);
  EXPECT_EQ(core_.LastPacketCounter(), 0);
  EXPECT_EQ(Decode(0), 1u);  // 0 is "nothing taken yet", never a repeat
  EXPECT_EQ(Decode(50), 1u);
  EXPECT_EQ(Decode(52), 2u);
}

TEST_F(DecoderTest, CounterStepWrapsLikeTheDevicesCounter) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  Decode(1);
  Decode(-2);
  EXPECT_EQ(Decode(1), 3u);         // -2, -1, 0, 1
  EXPECT_EQ(Decode(kMax - 1), 1u);  // far too many to be missed packets
  EXPECT_EQ(Decode(kMin), 2u);      // kMax - 1, kMax, then the counter runs over to kMin
  EXPECT_EQ(Decode(kMax), 0u);      // one step back across the wrap
  EXPECT_EQ(core_.LastPacketCounter(), kMax);
}

TEST_F(DecoderTest, ImplausibleCounterStepsAreProcessedOnce) {
  Decode(1);
  Decode(10);
  EXPECT_EQ(Decode(10 + MeasurementCore::kMaxRepeat + 1), 1u);
  EXPECT_EQ(Decode(std::numeric_limits<std::int32_t>::max()), 1u);
  Decode(1000);
  EXPECT_EQ(Decode(1000 + MeasurementCore::kMaxRepeat),
            static_cast<std::size_t>(MeasurementCore::kMaxRepeat));
}

TEST_F(DecoderTest, FormatErrorStopsCaptureAndChangesNothing) {
  const Packet bad = MakePacket(5, "01000", "ab000", "05", "12.5");
  core_.DecodePacket(bad, arrival_);  // even as the first packet after a reset
  EXPECT_EQ(sink_.calls, std::vector{Call::StopCapture});
  EXPECT_TRUE(core_.FirstPacketPending());
  EXPECT_EQ(Decode(3), 0u);  // still the first packet

  EXPECT_EQ(Decode(4), 1u);
  sink_.Clear();
  core_.DecodePacket(bad, arrival_);
  EXPECT_EQ(sink_.calls, std::vector{Call::StopCapture});
  EXPECT_EQ(core_.LastPacketCounter(), 4);
  EXPECT_EQ(core_.Records().Size(), 1u);
  EXPECT_EQ(core_.Statistics().Count(), 1u);
  EXPECT_EQ(Decode(5), 1u);
}

TEST_F(DecoderTest, DirectionOffsetTurnsEverySectorClockwise) {
  std::int32_t counter = 1000;
  const auto sectorOf = [&](const char* code) {
    core_.DecodePacket(MakePacket(++counter, "01000", "02000", code, "12.5"), arrival_);
    return core_.Records().Newest().Sector;
  };
  Decode(1);
  EXPECT_EQ(sectorOf("16"), 15);
  EXPECT_EQ(sectorOf("0"), 15);
  core_.SetDirectionOffset(15);
  EXPECT_EQ(core_.DirectionOffset(), 15);
  EXPECT_EQ(sectorOf("1"), 15);
  EXPECT_EQ(sectorOf("16"), 14);
  EXPECT_EQ(sectorOf("99"), 1);  // 99 + 15 = 16 * 7 + 2, where code 2 is NNE
  EXPECT_EQ(sectorOf("-9"), 5);
}

TEST_F(DecoderTest, ResetStartsOverWithTheFirstPacketDropped) {
  Decode(1);
  Decode(2);
  core_.ResetDecoder();
  EXPECT_TRUE(core_.FirstPacketPending());
  EXPECT_EQ(core_.LastPacketCounter(), 0);
  EXPECT_EQ(Decode(3), 0u);
  EXPECT_EQ(Decode(3), 1u);  // the counter before the reset is forgotten
}

TEST_F(DecoderTest, ConsumersAreNeverCalledWithDataLockHeld) {
  sink_.WatchLock(&core_.DataLock());
  core_.DecodePacket(MakePacket(1, "0100", "02000", "x5", "12.5"), arrival_);
  Decode(1);
  Decode(3);
  ASSERT_EQ(sink_.Count(Call::TakeRecord), 1u);
  ASSERT_EQ(sink_.Count(Call::StopCapture), 1u);
  EXPECT_FALSE(sink_.lockHeldDuringCall);
}
