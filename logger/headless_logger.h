#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <optional>

#include "capture/capture_session.h"
#include "logger/dated_log.h"
#include "logger/logger_options.h"
#include "core/measurement_sink.h"
#include "files/posix_file_store.h"
#include "core/program_files.h"

class Clock;
class HidTransport;
class MqttPublisher;
class StatusLines;

// Capture without a window: the capture session on the given transport, every record appended
// to the dated CSV log and published to the broker. Without the device it waits, looking for it
// every devicePoll, and picks it up when it is plugged in, again after every unplugging.
// Lives on the thread that runs the Qt event loop; the device's events arrive as posted events.
class HeadlessLogger : public QObject, public MeasurementSink {
 public:
  static constexpr std::chrono::milliseconds kDevicePoll{2000};

  // files says where anemometer.cal and anemometer.ini are read. publisher may be null (no
  // MQTT).
  HeadlessLogger(const LoggerOptions& options, const ProgramFiles& files, HidTransport& transport,
                 Clock& clock, StatusLines& status, MqttPublisher* publisher,
                 std::chrono::milliseconds devicePoll = kDevicePoll);
  ~HeadlessLogger() override;

  // Reads the calibration table and the direction offset, then looks for the anemometer.
  void Start();
  // Stops capture and closes the log; every row written is already on disk.
  void Stop();

  bool Reading() const { return reading_; }
  std::uint64_t Records() const { return records_; }

  // MeasurementSink. Nothing is shown and no alarms are checked; every record is logged.
  void DropOldestGridRow() override {}
  void ShowRecord(const MeasurementRecord&, const DisplayStatistics&) override {}
  void CheckAlarms(float, float, float, float) override {}
  void WriteLiveLogRow(const MeasurementRecord& record) override;
  void StopCaptureOnInvalidPacket() override;

 protected:
  bool event(QEvent* event) override;

 private:
  void LookForDevice();
  void StopReading(const char* why);

  const LoggerOptions options_;
  const ProgramFiles files_;
  PosixFileStore fileStore_;  // anemometer.cal
  StatusLines& status_;
  MqttPublisher* const publisher_;
  CaptureSession session_;
  std::optional<DatedLog> log_;
  QTimer poll_;
  bool reading_ = false;
  std::uint64_t records_ = 0;
};
