#include "logger/headless_logger.h"

#include <QEvent>
#include <filesystem>

#include "core/calibration.h"
#include "files/csv_format.h"
#include "logger/mqtt_publisher.h"
#include "logger/record_json.h"
#include "files/settings_file.h"
#include "logger/status_lines.h"
#include "device/usb_anemometer.h"

HeadlessLogger::HeadlessLogger(const LoggerOptions& options, const ProgramFiles& files,
                               HidTransport& transport, Clock& clock, StatusLines& status,
                               MqttPublisher* publisher, std::chrono::milliseconds devicePoll)
    : options_(options),
      files_(files),
      status_(status),
      publisher_(publisher),
      session_(transport, clock, *this, *this,
               [&status](const std::string& text) { status.Say("device", text); }) {
  if (!options_.logPattern.isEmpty()) log_.emplace(options_.logPattern, session_.Log(), status_);
  poll_.setInterval(devicePoll);
  connect(&poll_, &QTimer::timeout, this, [this] { LookForDevice(); });
}

HeadlessLogger::~HeadlessLogger() { Stop(); }

void HeadlessLogger::Start() {
  const std::filesystem::path calibration = files_.ReadPath(kCalibrationFileName);
  if (!session_.LoadCalibrationTable(fileStore_, calibration)) {
    status_.Say("config",
                "cannot read " + calibration.string() + "; using the default calibration table");
  }
  const std::filesystem::path settingsFile = files_.ReadPath(kSettingsFileName);
  const LoadedSettings settings = LoadSettingsFile(settingsFile);
  if (settings.FileUnreadable) {
    status_.Say("settings", "cannot read " + settingsFile.string() + "; direction offset 0");
  }
  session_.Core().SetDirectionOffset(settings.DirectionOffset);
  LookForDevice();
}

void HeadlessLogger::Stop() {
  poll_.stop();
  StopReading(nullptr);
  session_.Log().Close();
}

void HeadlessLogger::LookForDevice() {
  if (session_.FindDevice() == 0) {
    // The first report after a start only sets the counter, as in the window.
    session_.Core().ResetDecoder();
    if (session_.StartReading() == 0) {
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
      return true;
    default:
      return QObject::event(event);
  }
}

void HeadlessLogger::WriteLiveLogRow(const MeasurementRecord& record) {
  ++records_;
  if (log_) log_->Write(record);
  // While the broker is away the state would only be dropped: it is not built then.
  if (publisher_ != nullptr && publisher_->Connected()) publisher_->PublishState(StateJson(record));
  if (options_.verbose) {
    std::string row = CsvRowLine(record);
    row.resize(row.size() - 2);  // without CR LF
    status_.Always("record " + row);
  }
}

void HeadlessLogger::StopCaptureOnInvalidPacket() {
  StopReading("the anemometer sent a report that does not parse; opening it again");
}
