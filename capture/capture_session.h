#pragma once

#include <filesystem>

#include "files/live_log.h"
#include "core/measurement_core.h"
#include "device/usb_anemometer.h"

class Clock;
class FileStore;
class HidTransport;
class MeasurementSink;
class QObject;

// One capture of the anemometer, for whoever shows or keeps its records (the main window, the
// headless logger): the device link, the measurement core with its calibration table and
// direction offset, the live log, and the hand-over of each report from the capture thread.
//
// The capture thread posts the device's two events (WM_ANEMOMETER_DATA, WM_ANEMOMETER_REMOVED)
// to receiver, so they are handled on the thread that owns the session and the receiver; that
// thread answers WM_ANEMOMETER_DATA with DecodeNewestReport. Everything else runs on that
// thread too.
class CaptureSession {
 public:
  CaptureSession(HidTransport& transport, Clock& clock, MeasurementSink& sink, QObject& receiver,
                 AnemometerErrorReport reportError = {});
  // Stops the link first: once it has stopped, nothing is posted to the receiver any more.
  ~CaptureSession();

  CaptureSession(const CaptureSession&) = delete;
  CaptureSession& operator=(const CaptureSession&) = delete;

  MeasurementCore& Core() { return core_; }
  LiveLog& Log() { return log_; }

  // Puts the table read from file in place, or the default table when it cannot be read
  // (false then; the caller decides what to tell).
  bool LoadCalibrationTable(FileStore& store, const std::filesystem::path& file);

  // The device link's own answers: 0 or -1.
  int FindDevice() { return link_.FindDevice(); }
  bool DeviceListed() const { return link_.DeviceListed(); }
  int StartReading() { return link_.StartReading(); }
  // When it returns, no further event is posted.
  void StopReading() { link_.StopReading(); }

  // Takes the newest report from the link and decodes it into the core, which hands the
  // resulting records to the sink.
  void DecodeNewestReport();

 private:
  MeasurementCore core_;
  LiveLog log_{core_.DataLock()};
  TUsbAnemometer link_;
};
