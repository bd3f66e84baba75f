#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "core/calibration.h"
#include "core/direction_sector.h"
#include "core/packet.h"
#include "core/record_consumer.h"
#include "core/record_store.h"
#include "core/running_statistics.h"
#include "core/system_time.h"

// The measurement state the main window owns for the whole run: calibration table, record
// store, decoder state, running statistics and direction offset, and DataLock. Everything here
// runs on the user-interface thread; DataLock serialises the core against command handlers.
class MeasurementCore {
 public:
  // A counter step above this is not a count of missed packets (a corrupted counter or a
  // restarted device): the packet is processed once.
  static constexpr std::int32_t kMaxRepeat = static_cast<std::int32_t>(RecordStore::kLimit);

  // onInvalidPacket runs when a packet does not parse: capture has to stop.
  explicit MeasurementCore(std::function<void()> onInvalidPacket = {})
      : onInvalidPacket_(std::move(onInvalidPacket)) {}

  // Every record from now on goes to consumer too, after the consumers added before it. The
  // consumer must outlive the core or be removed first.
  void AddConsumer(RecordConsumer& consumer) { consumers_.push_back(&consumer); }
  void RemoveConsumer(RecordConsumer& consumer);

  // Guards the calibration table while the conversion walks it, DirectionOffset, and the live
  // log stream of the program.
  std::mutex& DataLock() { return dataLock_; }

  // Replaced by loading and by the calibration editor, on the user-interface thread.
  CalibrationTable& Calibration() { return calibration_; }
  const CalibrationTable& Calibration() const { return calibration_; }

  // SpeedFromFrequency on the current table, walked under DataLock.
  float SpeedFromFrequency(std::int32_t frequency);

  // 0..15 sectors added to the device's direction code; written under DataLock.
  void SetDirectionOffset(std::int32_t offset);
  std::int32_t DirectionOffset();

  // Decodes one packet that arrived at arrival: drops the first packet after a reset and
  // repeated counters, makes up missed packets, converts and calls ProcessSample n times.
  // A packet that does not parse goes to onInvalidPacket.
  void DecodePacket(const Packet& packet, const SystemTime& arrival);

  // LastPacketCounter = 0, FirstPacketPending = 1.
  void ResetDecoder();
  std::int32_t LastPacketCounter() const { return lastPacketCounter_; }
  bool FirstPacketPending() const { return firstPacketPending_; }

  // Wind chill and Beaufort numbers, then AddRecord with display. madeUp marks a row that
  // stands in for a missed report.
  void ProcessSample(DirectionSector sector, const SystemTime& time, float avgSpeed,
                     float gustSpeed, float temperature, bool madeUp = false);

  // Applies the store's limit, appends, updates the statistics and, with display on, hands the
  // record to every consumer. Returns how many of the oldest records were dropped (a caller
  // showing the rows without consumers drops as many grid rows).
  std::int32_t AddRecord(DirectionSector sector, bool display, const SystemTime& time,
                         float avgSpeed, float gustSpeed, float temperature, float windChillAvg,
                         float windChillGust, float beaufortAvg, float beaufortGust,
                         bool madeUp = false);

  RecordStore& Records() { return records_; }
  const RecordStore& Records() const { return records_; }
  const RunningStatistics& Statistics() const { return statistics_; }
  void ResetStatistics() { statistics_.Reset(); }

 private:
  std::function<void()> onInvalidPacket_;
  std::vector<RecordConsumer*> consumers_;
  std::mutex dataLock_;
  CalibrationTable calibration_;
  RecordStore records_;
  RunningStatistics statistics_;
  std::int32_t directionOffset_ = 0;
  std::int32_t lastPacketCounter_ = 0;
  bool firstPacketPending_ = true;
};
