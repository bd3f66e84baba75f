// Any bytes as device reports: one report alone, then the bytes as a sequence of reports through
// the decoder. Every record must stay within its ranges, whatever the counters do.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/measurement_core.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

class CheckingConsumer : public RecordConsumer {
 public:
  void TakeRecord(const MeasurementRecord& record, const RecordContext& context) override {
    CheckRecord(record);
    const DisplayStatistics& statistics = context.Statistics;
    Check(std::isfinite(statistics.AvgSpeedMean) && std::isfinite(statistics.TemperatureMean));
    Check(statistics.AvgSpeedMin <= statistics.AvgSpeedMax);
    Check(statistics.TemperatureMin <= statistics.TemperatureMax);
    Check(context.DroppedOldest >= 0 && context.DroppedOldest <= 1);
  }

 private:
  static void CheckBeaufort(float number) {
    Check(number >= 0.0f && number <= 12.0f && number == std::floor(number));
  }
  static void CheckRecord(const MeasurementRecord& record) {
    Check(record.Sector >= 0 && record.Sector <= 15);
    Check(record.SectorAccumulator == 0);
    for (float value : {record.AvgSpeed, record.GustSpeed, record.Temperature, record.WindChillAvg,
                        record.WindChillGust}) {
      Check(std::isfinite(value));
    }
    Check(record.AvgSpeed >= 0.0f && record.GustSpeed >= 0.0f);
    Check(record.WindChillAvg <= record.Temperature && record.WindChillGust <= record.Temperature);
    CheckBeaufort(record.BeaufortAvg);
    CheckBeaufort(record.BeaufortGust);
  }
};

Packet PacketAt(const std::uint8_t* data) {
  Packet packet;
  std::memcpy(packet.data(), data, kPacketSize);
  return packet;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size >= kPacketSize) {
    if (const auto fields = ParsePacket(PacketAt(data))) Check(std::isfinite(fields->Temperature));
  }
  if (size == 0) return 0;

  CheckingConsumer consumer;
  MeasurementCore core;
  core.AddConsumer(consumer);
  core.Calibration() = DefaultCalibrationTable();
  core.SetDirectionOffset(data[0]);  // beyond the settings' 0..15 on purpose
  std::uint64_t samples = 0;
  for (std::size_t at = 1; at + kPacketSize <= size; at += kPacketSize) {
    const std::uint64_t before = core.Statistics().Count();
    core.DecodePacket(PacketAt(data + at), SystemTime{});
    const std::uint64_t made = core.Statistics().Count() - before;
    Check(made <= static_cast<std::uint64_t>(MeasurementCore::kMaxRepeat));
    samples += made;
    Check(core.Records().Size() <= RecordStore::kLimit);
  }
  Check(core.Statistics().Count() == samples);
  return 0;
}
