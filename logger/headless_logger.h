#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "archive/station_archive.h"
#include "capture/capture_session.h"
#include "core/program_files.h"
#include "core/record_consumer.h"
#include "logger/dated_log.h"
#include "logger/logger_options.h"
#include "logger/record_printer.h"
#include "logger/state_publisher.h"
#include "web/live_station.h"

class Clock;
class InfluxSender;
class HidTransport;
class MqttPublisher;
class StatusLines;

// Capture without a window: the capture session on the given transport, every record kept in
// the station archive, appended to the dated CSV log, published to the broker and written from
// the archive to InfluxDB. Without the
// device it waits, looking for it every devicePoll, and picks it up when it is plugged in, again
// after every unplugging. The broker's availability is online from a record on until the device is
// unplugged or no record has come for the MQTT settings' silence. Lives on the thread that runs the
// Qt event loop; the device's events arrive as posted events.
class HeadlessLogger : public QObject, public RecordConsumer {
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
  // Closes the log file; the next record opens it again by its name (after log rotation).
  void ReopenLog() {
    if (log_) log_->Reopen();
  }

  bool Reading() const { return reading_; }
  CaptureSession& Session() { return session_; }
  std::uint64_t Records() const { return records_; }
  // The station as the web server shows it; its records come after the archive has them.
  LiveStation& Live() { return live_; }

  // Counts the records and says the device is there; the consumers wired in the constructor
  // keep them.
  void TakeRecord(const MeasurementRecord&, const RecordContext&) override;

 protected:
  bool event(QEvent* event) override;

 private:
  // Tells the InfluxDB sender that a report is in the archive; added after the archive.
  class ArchivedReports : public RecordConsumer {
   public:
    explicit ArchivedReports(std::function<void()> ended) : ended_(std::move(ended)) {}
    void EndReport() override { ended_(); }

   private:
    std::function<void()> ended_;
  };

  void KeepArchive();
  void StartInflux();
  // On this thread, the archive's only writer: the server acknowledged the records up to key.
  void StoreDelivered(RecordKey key);
  void LookForDevice();
  void StopReading(const char* why);
  void StopOnInvalidReport();

  const LoggerOptions options_;
  const ProgramFiles files_;
  StatusLines& status_;
  CaptureSession session_;
  std::optional<DatedLog> log_;
  std::optional<StatePublisher> statePublisher_;
  RecordPrinter printer_{status_};
  MqttPublisher* const publisher_;
  std::unique_ptr<InfluxSender> influx_;
  std::optional<ArchivedReports> archivedReports_;
  std::int32_t stationId_ = 0;
  bool markFailing_ = false;  // storing the delivery mark failed; said once
  QTimer poll_;
  QTimer silence_;  // single shot, restarted by every record
  bool reading_ = false;
  LiveStation live_;
  std::uint64_t records_ = 0;
};
