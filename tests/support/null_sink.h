#pragma once

#include "core/measurement_sink.h"

// A sink that drops everything: the measurement core on its own, without a window.
class NullSink : public MeasurementSink {
 public:
  void DropOldestGridRow() override {}
  void ShowRecord(const MeasurementRecord&, const DisplayStatistics&) override {}
  void CheckAlarms(float, float, float, float) override {}
  void WriteLiveLogRow(const MeasurementRecord&) override {}
  void StopCaptureOnInvalidPacket() override {}
};
