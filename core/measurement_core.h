#pragma once

#include <cstdint>
#include <mutex>

#include "core/calibration.h"
#include "core/direction_sector.h"
#include "core/measurement_sink.h"
#include "core/packet.h"
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

  explicit MeasurementCore(MeasurementSink& sink) : sink_(sink) {}

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
  // A packet that does not parse goes to the sink's StopCaptureOnInvalidPacket.
  void DecodePacket(const Packet& packet, const SystemTime& arrival);

  // LastPacketCounter = 0, FirstPacketPending = 1.
  void ResetDecoder();
  std::int32_t LastPacketCounter() const { return lastPacketCounter_; }
  bool FirstPacketPending() const { return firstPacketPending_; }

  // Wind chill and Beaufort numbers, AddRecord with display, CheckAlarms, WriteLiveLogRow.
  void ProcessSample(DirectionSector sector, const SystemTime& time, float avgSpeed,
                     float gustSpeed, float temperature);

  // Applies the store's limit (dropping grid rows), appends, updates the statistics and,
  // with display on, runs the display update for the record.
  void AddRecord(DirectionSector sector, bool display, const SystemTime& time, float avgSpeed,
                 float gustSpeed, float temperature, float windChillAvg, float windChillGust,
                 float beaufortAvg, float beaufortGust);

  RecordStore& Records() { return records_; }
  const RecordStore& Records() const { return records_; }
  const RunningStatistics& Statistics() const { return statistics_; }
  void ResetStatistics() { statistics_.Reset(); }

 private:
  MeasurementSink& sink_;
  std::mutex dataLock_;
  CalibrationTable calibration_;
  RecordStore records_;
  RunningStatistics statistics_;
  std::int32_t directionOffset_ = 0;
  std::int32_t lastPacketCounter_ = 0;
  bool firstPacketPending_ = true;
};
