#include "logger/headless_logger.h"

#include <QEvent>
#include <filesystem>
#include <string>

#include "archive/archive_error.h"
#include "archive/station_archive.h"
#include "capture/this_program_files.h"
#include "device/usb_anemometer.h"
#include "logger/iso_log_format.h"
#include "logger/mqtt_publisher.h"
#include "logger/status_lines.h"
#include "timeseries/influx_sender.h"

HeadlessLogger::HeadlessLogger(const LoggerOptions& options, const ProgramFiles& files,
                               HidTransport& transport, Clock& clock, StatusLines& status,
                               MqttPublisher* publisher, std::chrono::milliseconds devicePoll)
    : options_(options),
      files_(files),
      status_(status),
      session_(
          transport, clock, *this, [this] { StopOnInvalidReport(); },
          [&status](const std::string& text) { status.Say("device", text); }),
      publisher_(publisher),
      live_([this] {
        StationHealth health;
        health.deviceConnected = reading_;
        if (publisher_ != nullptr) health.brokerConnected = publisher_->Connected();
        if (RecordArchiver* archiver = session_.Archiver()) {
          health.archiveFailures = archiver->Failures();
          if (influx_ && archiver->Archive() != nullptr) {
            try {
              health.influxBacklog =
                  archiver->Archive()->CountRecordsAfter(stationId_, influx_->LastDelivered());
            } catch (const ArchiveError&) {
              // Unknown for this scrape; the archive's own fault is told elsewhere.
            }
          }
        }
        return health;
      }) {
  // Each record goes, in this order, to the count, the dated log, the broker and the terminal.
  session_.AddConsumer(*this);
  if (!options_.logPattern.isEmpty()) {
    if (options_.logFormat == LogFormat::Iso) session_.Log().SetLineFormat(kIsoLogFormat);
    log_.emplace(options_.logPattern, session_.Log(), status_);
    session_.AddConsumer(*log_);
  }
  if (publisher != nullptr) session_.AddConsumer(statePublisher_.emplace(*publisher));
  if (options_.verbose) session_.AddConsumer(printer_);
  poll_.setInterval(devicePoll);
  connect(&poll_, &QTimer::timeout, this, [this] { LookForDevice(); });
  silence_.setSingleShot(true);
  silence_.setInterval(options_.mqtt ? options_.mqtt->silence : kShortestSilence);
  connect(&silence_, &QTimer::timeout, this, [this] { publisher_->SetAvailable(false); });
}

void HeadlessLogger::TakeRecord(const MeasurementRecord&, const RecordContext&) {
  ++records_;
  if (publisher_ == nullptr) return;
  // Before the state goes out, so that a station coming back is online with its first state.
  publisher_->SetAvailable(true);
  silence_.start();
}

HeadlessLogger::~HeadlessLogger() { Stop(); }

void HeadlessLogger::Start() {
  const LoadedProgramFiles loaded = session_.LoadProgramFiles(files_);
  if (!loaded.calibrationLoaded) {
    status_.Say("config", "cannot read " + loaded.calibrationFile.string() +
                              "; using the default calibration table");
  }
  if (loaded.settingsUnreadable) {
    status_.Say("settings", "cannot read " + loaded.settingsFile.string() + "; direction offset 0");
  }
  if (options_.archive.keep) KeepArchive();
  session_.AddConsumer(live_);
  LookForDevice();
}

void HeadlessLogger::KeepArchive() {
  const std::filesystem::path file = LocateThisProgramsArchive(options_.archive.file);
  const bool kept =
      session_.KeepArchive(file, options_.station, [this](const RecordArchiver::Event& event) {
        using Kind = RecordArchiver::Event::Kind;
        switch (event.kind) {
          case Kind::CannotOpen:
            status_.Say("archive",
                        "cannot use the archive: " + event.message + "; going on without it");
            break;
          case Kind::CannotWrite:
            status_.Say("archive", "cannot write the archive: " + event.message +
                                       "; records wait in memory (up to a day of them)");
            break;
          case Kind::Writing:
            status_.Say("archive",
                        "writing the archive again; " + std::to_string(event.caughtUp) +
                            " waiting records caught up" +
                            (event.lost > 0 ? ", " + std::to_string(event.lost) + " lost" : ""));
            break;
        }
      });
  if (kept) {
    status_.Say("archive",
                "keeping every record in " + file.string() + " (station " + options_.station + ")");
  }
  if (options_.influx) {
    if (kept) {
      StartInflux();
    } else {
      status_.Say("influx", "nothing goes to InfluxDB without the archive");
    }
  }
}

void HeadlessLogger::StartInflux() {
  StationArchive& archive = *session_.Archiver()->Archive();
  const std::string target = options_.influx->DeliveryTarget();
  RecordKey from;
  try {
    stationId_ = archive.Station(options_.station);
    // A new target gets the records from this run on, not the archive's whole past.
    const std::optional<RecordKey> delivered = archive.Delivered(stationId_, target);
    from = delivered ? *delivered : archive.LastRecordKey(stationId_).value_or(RecordKey{});
    if (!delivered) archive.SetDelivered(stationId_, target, from);
  } catch (const ArchiveError& error) {
    status_.Say("influx", std::string("cannot read where InfluxDB stands in the archive: ") +
                              error.what() + "; nothing goes to InfluxDB in this run");
    return;
  }
  influx_ = std::make_unique<InfluxSender>(
      *options_.influx, archive.File(), stationId_, options_.station, from,
      [this](const std::string& text) { status_.Say("influx", text); },
      [this](RecordKey key) {
        QMetaObject::invokeMethod(
            this, [this, key] { StoreDelivered(key); }, Qt::QueuedConnection);
      });
  session_.AddConsumer(archivedReports_.emplace([this] {
    if (influx_) influx_->Wake();
  }));
  influx_->Start();
}

void HeadlessLogger::StoreDelivered(RecordKey key) {
  RecordArchiver* archiver = session_.Archiver();
  if (archiver == nullptr || archiver->Archive() == nullptr) return;
  try {
    archiver->Archive()->SetDelivered(stationId_, options_.influx->DeliveryTarget(), key);
    markFailing_ = false;
  } catch (const ArchiveError& error) {
    // The next mark stores this one's progress too; until then a restart sends some twice,
    // which the server takes as the same points.
    if (!markFailing_) {
      status_.Say("influx",
                  std::string("cannot store what InfluxDB acknowledged: ") + error.what());
    }
    markFailing_ = true;
  }
}

void HeadlessLogger::Stop() {
  poll_.stop();
  silence_.stop();
  StopReading(nullptr);
  if (influx_) {
    // The last batches go out now; their mark is stored here, as no queued call runs any more.
    influx_->Stop();
    StoreDelivered(influx_->LastDelivered());
    influx_.reset();
  }
  session_.Log().Close();
}

void HeadlessLogger::LookForDevice() {
  if (session_.FindDevice() == 0) {
    if (session_.StartCapture() == 0) {
      reading_ = true;
      poll_.stop();
      status_.Say("device", "reading the anemometer");
      return;
    }
    status_.Say("device", "found the anemometer but cannot open it; trying again");
  } else if (session_.DeviceListed()) {
    // Listed but skipped by the search: its node is not ours to open.
    status_.Say("device",
                "the anemometer is plugged in but may not be opened (the udev rule and the group "
                "kelvra-anemometer give access); trying again");
  } else {
    status_.Say("device", "waiting for the anemometer to be plugged in");
  }
  if (!poll_.isActive()) poll_.start();
}

void HeadlessLogger::StopReading(const char* why) {
  session_.StopReading();
  if (!reading_) return;
  reading_ = false;
  if (why != nullptr) {
    status_.Say("device", why);
    poll_.start();
  }
}

bool HeadlessLogger::event(QEvent* event) {
  switch (static_cast<int>(event->type())) {
    case WM_ANEMOMETER_DATA:
      session_.DecodeNewestReport();
      return true;
    case WM_ANEMOMETER_REMOVED:
      StopReading("the anemometer was unplugged; waiting for it");
      silence_.stop();
      if (publisher_ != nullptr) publisher_->SetAvailable(false);
      return true;
    default:
      return QObject::event(event);
  }
}

void HeadlessLogger::StopOnInvalidReport() {
  StopReading("the anemometer sent a report that does not parse; opening it again");
}
