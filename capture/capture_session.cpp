#include "capture/capture_session.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <mutex>
#include <utility>

#include "core/calibration.h"
#include "core/packet.h"

CaptureSession::CaptureSession(HidTransport& transport, Clock& clock, MeasurementSink& sink,
                               QObject& receiver, AnemometerErrorReport reportError)
    : core_(sink),
      // The capture thread only posts; the receiver's thread does everything else.
      link_(
          kAnemometerVendorId, kAnemometerProductId,
          [&receiver](int message) {
            QCoreApplication::postEvent(&receiver, new QEvent(static_cast<QEvent::Type>(message)));
          },
          transport, clock, std::move(reportError)) {}

CaptureSession::~CaptureSession() { link_.StopReading(); }

bool CaptureSession::LoadCalibrationTable(FileStore& store, const std::filesystem::path& file) {
  CalibrationTable table;
  const bool loaded = LoadCalibration(store, file, table) == 0;
  if (!loaded) table = DefaultCalibrationTable();
  const std::lock_guard lock(core_.DataLock());
  core_.Calibration() = std::move(table);
  return loaded;
}

void CaptureSession::DecodeNewestReport() {
  SystemTime arrival;
  Packet packet{};
  link_.TakePacket(arrival, packet);
  core_.DecodePacket(packet, arrival);
}
