#include "capture/capture_session.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <mutex>
#include <utility>

#include "core/calibration.h"
#include "core/packet.h"
#include "files/settings_file.h"

CaptureSession::CaptureSession(HidTransport& transport, Clock& clock, QObject& receiver,
                               std::function<void()> onInvalidReport,
                               AnemometerErrorReport reportError)
    : core_(std::move(onInvalidReport)),
      // The capture thread only posts; the receiver's thread does everything else.
      link_(
          kAnemometerVendorId, kAnemometerProductId,
          [&receiver](int message) {
            QCoreApplication::postEvent(&receiver, new QEvent(static_cast<QEvent::Type>(message)));
          },
          transport, clock, std::move(reportError)) {}

CaptureSession::~CaptureSession() { link_.StopReading(); }

bool CaptureSession::KeepArchive(const std::filesystem::path& file, const std::string& station,
                                 RecordArchiver::Report report) {
  if (archiver_) core_.RemoveConsumer(*archiver_);
  archiver_ = std::make_unique<RecordArchiver>(file, station, std::move(report));
  if (!archiver_->Open()) {
    archiver_.reset();
    return false;
  }
  core_.AddConsumer(*archiver_);
  return true;
}

LoadedProgramFiles CaptureSession::LoadProgramFiles(const ProgramFiles& files) {
  LoadedProgramFiles loaded;
  loaded.calibrationFile = files.ReadPath(kCalibrationFileName);
  loaded.calibrationLoaded = LoadCalibrationTable(loaded.calibrationFile);
  loaded.settingsFile = files.ReadPath(kSettingsFileName);
  const LoadedSettings settings = LoadSettingsFile(loaded.settingsFile);
  loaded.settingsUnreadable = settings.FileUnreadable;
  loaded.compassChartType = settings.CompassChartType;
  core_.SetDirectionOffset(settings.DirectionOffset);
  return loaded;
}

bool CaptureSession::LoadCalibrationTable(const std::filesystem::path& file) {
  CalibrationTable table;
  const bool loaded = LoadCalibration(fileStore_, file, table) == 0;
  if (!loaded) table = DefaultCalibrationTable();
  const std::lock_guard lock(core_.DataLock());
  core_.Calibration() = std::move(table);
  return loaded;
}

int CaptureSession::StartCapture() {
  core_.ResetDecoder();
  return link_.StartReading();
}

void CaptureSession::DecodeNewestReport() {
  SystemTime arrival;
  Packet packet{};
  link_.TakePacket(arrival, packet);
  core_.DecodePacket(packet, arrival);
}
