#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "archive/record_archiver.h"
#include "core/measurement_core.h"
#include "core/program_files.h"
#include "device/usb_anemometer.h"
#include "files/live_log.h"
#include "files/posix_file_store.h"

class Clock;
class HidTransport;
class QObject;
class RecordConsumer;

// What loading the program's files into a session found, for the program to tell in its own
// words. The values in use are the defaults wherever a file could not be read.
struct LoadedProgramFiles {
  std::filesystem::path calibrationFile;
  bool calibrationLoaded = true;  // false: the default table is in use
  std::filesystem::path settingsFile;
  bool settingsUnreadable = false;  // the file exists but could not be read
  std::int32_t compassChartType = 1;
};

// One capture of the anemometer, for whoever shows or keeps its records (the main window, the
// headless logger): the device link, the measurement core with its calibration table and
// direction offset, the live log, the hand-over of each report from the capture thread, and
// the consumers each record goes to.
//
// The capture thread posts the device's two events (WM_ANEMOMETER_DATA, WM_ANEMOMETER_REMOVED)
// to receiver, so they are handled on the thread that owns the session and the receiver; that
// thread answers WM_ANEMOMETER_DATA with DecodeNewestReport. Everything else runs on that
// thread too.
class CaptureSession {
 public:
  // onInvalidReport runs when a report does not parse: the owner stops capture and tells so.
  CaptureSession(HidTransport& transport, Clock& clock, QObject& receiver,
                 std::function<void()> onInvalidReport, AnemometerErrorReport reportError = {});
  // Stops the link first: once it has stopped, nothing is posted to the receiver any more.
  ~CaptureSession();

  CaptureSession(const CaptureSession&) = delete;
  CaptureSession& operator=(const CaptureSession&) = delete;

  MeasurementCore& Core() { return core_; }
  LiveLog& Log() { return log_; }

  // Every record goes to the consumers in the order they were added.
  void AddConsumer(RecordConsumer& consumer) { core_.AddConsumer(consumer); }

  // From now on every captured record is also kept in the station archive file, under the
  // station's name, after the consumers added so far. False when it cannot be opened; what goes
  // wrong, then or later, goes to report and capture goes on. Records read from data files are
  // not captured and not archived.
  bool KeepArchive(const std::filesystem::path& file, const std::string& station,
                   RecordArchiver::Report report);
  // Null without an archive.
  RecordArchiver* Archiver() { return archiver_.get(); }

  // Reads anemometer.cal and anemometer.ini from files into the session: the calibration table
  // (the default table when it cannot be read) and the direction offset.
  LoadedProgramFiles LoadProgramFiles(const ProgramFiles& files);

  // The device link's own answers: 0 or -1.
  int FindDevice() { return link_.FindDevice(); }
  bool DeviceListed() const { return link_.DeviceListed(); }
  // Starts reading the device found by FindDevice, its first report only setting the counter.
  int StartCapture();
  // When it returns, no further event is posted.
  void StopReading() { link_.StopReading(); }

  // Takes the newest report from the link and decodes it into the core, which hands the
  // resulting records to the consumers.
  void DecodeNewestReport();

 private:
  // Puts the table read from file in place, or the default table when it cannot be read
  // (false then).
  bool LoadCalibrationTable(const std::filesystem::path& file);

  PosixFileStore fileStore_;  // anemometer.cal
  MeasurementCore core_;
  LiveLog log_{core_.DataLock()};
  std::unique_ptr<RecordArchiver> archiver_;
  TUsbAnemometer link_;
};
