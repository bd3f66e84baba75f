#pragma once

#include <cstdint>

#include "core/measurement_record.h"
#include "core/running_statistics.h"

// What the measurement core hands to the rest of the program. The program implements it;
// the core calls it on the user-interface thread, never while DataLock is held.
class MeasurementSink {
 public:
  virtual ~MeasurementSink() = default;

  // The store dropped its oldest record: the data grid loses its bottom row.
  virtual void DropOldestGridRow() = 0;

  // The rows of one report: count rows follow (more than one when missed reports are made up),
  // each with its ShowRecord, CheckAlarms and WriteLiveLogRow, then EndReportRows. A sink may
  // leave what only the newest row decides (labels, pictures) until EndReportRows, as long as
  // the result is what showing every row in turn would give. Calls may nest when a sink runs an
  // event loop in between.
  virtual void BeginReportRows(std::int32_t /*count*/) {}
  virtual void EndReportRows() {}

  // The display update for one record that AddRecord stored with display on.
  virtual void ShowRecord(const MeasurementRecord& record, const DisplayStatistics& statistics) = 0;

  // Every row ProcessSample produces, made-up rows included, after ShowRecord.
  virtual void CheckAlarms(float temperature, float avgSpeed, float gustSpeed,
                           float windChillAvg) = 0;

  // After CheckAlarms; the live log takes DataLock itself and does nothing while it is off.
  virtual void WriteLiveLogRow(const MeasurementRecord& record) = 0;

  // A packet did not parse: stop capture, then show "Capture stopped: received packet has
  // invalid format.".
  virtual void StopCaptureOnInvalidPacket() = 0;
};
