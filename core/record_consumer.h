#pragma once

#include <cstdint>

#include "core/measurement_record.h"
#include "core/running_statistics.h"

// What comes with each record besides its values.
struct RecordContext {
  // The running statistics once the record is in.
  DisplayStatistics Statistics;
  // Records the store dropped, oldest first, to make room for this one.
  std::int32_t DroppedOldest = 0;
  // A copy standing in for a report the device sent but that never arrived (its counter
  // skipped); the last row of a report is the one that arrived.
  bool MadeUp = false;
};

// Whoever shows or keeps records: the window's display, the alarm check, the live log, the
// logger's dated log and its MQTT state. The capture session hands every record to each of its
// consumers in the order they were added, on the thread that owns the session, never while
// DataLock is held. A consumer overrides only what it needs.
class RecordConsumer {
 public:
  virtual ~RecordConsumer() = default;

  // One report's rows follow: more than one when missed reports are made up. Calls may nest
  // when a consumer runs an event loop (a message box) in between.
  virtual void BeginReport(std::int32_t /*rowCount*/) {}
  // Every row, made-up rows included.
  virtual void TakeRecord(const MeasurementRecord& /*record*/, const RecordContext& /*context*/) {}
  // After the report's last row. A consumer may leave what only the newest row decides (labels,
  // pictures) until here, as long as the result is what taking every row in turn would give.
  virtual void EndReport() {}
};
