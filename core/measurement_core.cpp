#include "core/measurement_core.h"

#include <algorithm>

#include "core/calibration_span.h"
#include "core/weather.h"

namespace {

// counter - last with 32-bit wrap-around, as the device's counter runs.
std::int32_t CounterStep(std::int32_t counter, std::int32_t last) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) -
                                   static_cast<std::uint32_t>(last));
}

}  // namespace

void MeasurementCore::RemoveConsumer(RecordConsumer& consumer) {
  consumers_.erase(std::remove(consumers_.begin(), consumers_.end(), &consumer), consumers_.end());
}

float MeasurementCore::SpeedFromFrequency(std::int32_t frequency) {
  if (frequency <= 0) return 0.0f;
  CalibrationSpan span;
  {
    std::lock_guard lock(dataLock_);
    span = FindCalibrationSpan(calibration_, frequency);
  }
  return SpeedFromSpan(span, frequency);
}

void MeasurementCore::SetDirectionOffset(std::int32_t offset) {
  std::lock_guard lock(dataLock_);
  directionOffset_ = offset;
}

std::int32_t MeasurementCore::DirectionOffset() {
  std::lock_guard lock(dataLock_);
  return directionOffset_;
}

void MeasurementCore::ResetDecoder() {
  lastPacketCounter_ = 0;
  firstPacketPending_ = true;
}

void MeasurementCore::DecodePacket(const Packet& packet, const SystemTime& arrival) {
  const auto fields = ParsePacket(packet);
  if (!fields) {
    if (onInvalidPacket_) onInvalidPacket_();
    return;
  }
  if (firstPacketPending_) {
    firstPacketPending_ = false;
    return;
  }
  std::int32_t repeat = 1;
  if (lastPacketCounter_ != 0) {
    if (fields->Counter == lastPacketCounter_) return;
    repeat = CounterStep(fields->Counter, lastPacketCounter_);
  }
  lastPacketCounter_ = fields->Counter;
  if (repeat <= 0) return;
  if (repeat > kMaxRepeat) repeat = 1;

  const float avgSpeed = SpeedFromFrequency(fields->AvgFrequency);
  const float gustSpeed = SpeedFromFrequency(fields->GustFrequency);
  const DirectionSector sector = SectorFromDirectionCode(fields->DirectionCode, DirectionOffset());
  // A copy of the list: a consumer may run an event loop in which the list changes.
  const std::vector<RecordConsumer*> consumers = consumers_;
  for (RecordConsumer* consumer : consumers) consumer->BeginReport(repeat);
  for (std::int32_t i = 0; i < repeat; ++i) {
    ProcessSample(sector, arrival, avgSpeed, gustSpeed, fields->Temperature, i + 1 < repeat);
  }
  for (RecordConsumer* consumer : consumers) consumer->EndReport();
}

void MeasurementCore::ProcessSample(DirectionSector sector, const SystemTime& time, float avgSpeed,
                                    float gustSpeed, float temperature, bool madeUp) {
  const float windChillAvg = WindChill(avgSpeed, temperature);
  const float windChillGust = WindChill(gustSpeed, temperature);
  const float beaufortAvg = BeaufortNumber(avgSpeed);
  const float beaufortGust = BeaufortNumber(gustSpeed);
  AddRecord(sector, true, time, avgSpeed, gustSpeed, temperature, windChillAvg, windChillGust,
            beaufortAvg, beaufortGust, madeUp);
}

std::int32_t MeasurementCore::AddRecord(DirectionSector sector, bool display,
                                        const SystemTime& time, float avgSpeed, float gustSpeed,
                                        float temperature, float windChillAvg, float windChillGust,
                                        float beaufortAvg, float beaufortGust, bool madeUp) {
  std::int32_t dropped = 0;
  while (records_.Size() >= RecordStore::kLimit) {
    records_.RemoveOldest();
    ++dropped;
  }
  MeasurementRecord record;
  record.Time = time;
  record.AvgSpeed = avgSpeed;
  record.GustSpeed = gustSpeed;
  record.Sector = sector;
  record.SectorAccumulator = 0;
  record.Temperature = temperature;
  record.WindChillAvg = windChillAvg;
  record.WindChillGust = windChillGust;
  record.BeaufortAvg = beaufortAvg;
  record.BeaufortGust = beaufortGust;
  records_.Append(record);
  statistics_.Add(avgSpeed, temperature);
  if (!display) return dropped;
  // Copies: a consumer may run an event loop that lets another report change the store or the
  // statistics. The list is walked by index, without a copy per record: a consumer added in such
  // a loop may move it, and is then reached too.
  const RecordContext context{statistics_.Current(), dropped, madeUp};
  for (std::size_t i = 0; i < consumers_.size(); ++i) consumers_[i]->TakeRecord(record, context);
  return dropped;
}
