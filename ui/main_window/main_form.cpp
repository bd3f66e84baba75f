#include "ui/main_window/main_form.h"

#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <algorithm>
#include <string>

#include "core/calibration.h"
#include "core/direction_sector.h"
#include "device/usb_anemometer.h"
#include "ui/desktop/icon_theme.h"
#include "ui/desktop/message_boxes.h"
#include "ui/desktop/qt_file_dialogs.h"
#include "ui/desktop/qt_message_boxes.h"
#include "ui/panels/data_grid_panel.h"
#include "ui/panels/record_display.h"
#include "ui/panels/temperature_panel.h"
#include "ui/panels/trend_chart_panel.h"
#include "ui/panels/wind_panel.h"

TMainForm::TMainForm(const MainFormServices& services, QWidget* parent)
    : QMainWindow(parent),
      session_(
          services.transport, services.clock, *this, [this] { StopCaptureOnInvalidPacket(); },
          [this](const std::string& text) {
            messages_->Show(QString::fromStdString(text), QStringLiteral("Error"),
                            MessageIcon::Error);
          }),
      core_(session_.Core()),
      liveLog_(session_.Log()),
      clock_(services.clock),
      files_(services.files),
      messages_(services.messages),
      fileDialogs_(services.fileDialogs),
      alarmCheck_([this](const MeasurementRecord& r, const RecordContext&) {
        CheckAlarms(r.Temperature, r.AvgSpeed, r.GustSpeed, r.WindChillAvg);
      }),
      liveLogRows_(
          [this](const MeasurementRecord& r, const RecordContext&) { WriteLiveLogRow(r); }) {
  if (messages_ == nullptr) {
    ownMessages_ = std::make_unique<QtMessageBoxes>(this);
    messages_ = ownMessages_.get();
  }
  if (fileDialogs_ == nullptr) {
    ownFileDialogs_ = std::make_unique<QtFileDialogs>(this);
    fileDialogs_ = ownFileDialogs_.get();
  }
  CreateControls();
  FormCreate();
  FinishControls();
  ShowCaptureState(0);
  if (!IconThemeBeingRead()) ShowToolButtonIcons();
}

TMainForm::~TMainForm() { FormDestroy(); }

QString TMainForm::ProgramFile(const char* fileName) const {
  return QFile::decodeName(files_.ReadPath(fileName).c_str());
}

std::filesystem::path TMainForm::ProgramFileToWrite(const char* fileName) const {
  // A failure shows up as the save's own error.
  files_.MakeDir();
  return files_.WritePath(fileName);
}

void TMainForm::ShowInformation(const char* text) {
  messages_->Show(QString::fromUtf8(text), QStringLiteral("Informace"), MessageIcon::Information);
}

void TMainForm::FormCreate() {
  grid_ = std::make_unique<DataGridPanel>(centralWidget());
  display_ = std::make_unique<RecordDisplay>(*grid_, *wind_, *temperature_, *trends_);

  const LoadedProgramFiles loaded = session_.LoadProgramFiles(files_);
  if (!loaded.calibrationLoaded) {
    messages_->Show(QStringLiteral("Cannot load calibration table, using default values."),
                    QStringLiteral("Information"), MessageIcon::Information);
  }
  if (loaded.settingsUnreadable) {
    messages_->Show(QStringLiteral("Cannot load settings file, using default values."),
                    QStringLiteral("Information"), MessageIcon::Information);
  }
  wind_->SetCompassChartType(loaded.compassChartType);

  ClearChartPoints();
  ResetDisplay();

  // Each record goes, in this order, to the display, the alarm check and the live log.
  session_.AddConsumer(*display_);
  session_.AddConsumer(alarmCheck_);
  session_.AddConsumer(liveLogRows_);

  installEventFilter(this);
  messageHookInstalled_ = true;
}

void TMainForm::KeepArchive(const std::filesystem::path& file) {
  const QString name = QFile::decodeName(file.c_str());
  session_.KeepArchive(file, "default", [this, name](const RecordArchiver::Event& event) {
    if (event.kind == RecordArchiver::Event::Kind::Writing || archiveProblemTold_) return;
    archiveProblemTold_ = true;
    const QString why = QString::fromStdString(event.message);
    const QString text =
        event.kind == RecordArchiver::Event::Kind::CannotOpen
            ? QStringLiteral(
                  "Archiv záznamů %1 nelze použít:\n%2\n\nMěření pokračuje, záznamy se "
                  "do archivu neukládají.")
                  .arg(name, why)
            : QStringLiteral(
                  "Do archivu záznamů %1 nelze zapisovat:\n%2\n\nMěření pokračuje; "
                  "záznamy čekají v paměti a zapíší se, jakmile to půjde.")
                  .arg(name, why);
    messages_->Show(text, QStringLiteral("Archiv"), MessageIcon::Error);
  });
}

void TMainForm::FormDestroy() {
  // The link goes first: once StopReading has returned no event can be posted any more.
  session_.StopReading();
  if (messageHookInstalled_) {
    removeEventFilter(this);
    messageHookInstalled_ = false;
  }
  session_.Core().RemoveConsumer(*display_);
  display_.reset();
  grid_.reset();
  core_.Records().Clear();
}

void TMainForm::ResetDisplay() {
  AddGridRow(SystemTime{}, kNoDirection, 0, 0, 0, 0, 0, 0, 0);
  DrawWindRose(kNoDirection);
  ShowWindLabels(0, 0, 0, 0, 0);
  UpdateDirectionGrid(kNoDirection, 0, 0);
  ClearTrendCharts();
  ShowDirectionName(kNoDirection);
  DrawTemperatureBar(0);
  ShowTemperatureLabels(0, 0, 0, 0, 0);
  core_.ResetStatistics();
  core_.ResetDecoder();
  temperature_->SetLastBarTemperature(0);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == this && MainWindowProc(event)) return true;
  return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::MainWindowProc(QEvent* event) {
  switch (static_cast<int>(event->type())) {
    case WM_ANEMOMETER_REMOVED:
      StopCaptureClick(nullptr);
      ShowInformation("Anemometer byl odpojen.");
      return true;
    case WM_ANEMOMETER_DATA:
      DecodePacket();
      return true;
    default:
      return false;
  }
}

void TMainForm::DecodePacket() { session_.DecodeNewestReport(); }

void TMainForm::StopCaptureOnInvalidPacket() {
  StopCaptureClick(nullptr);
  messages_->Show(QStringLiteral("Capture stopped: received packet has invalid format."),
                  QStringLiteral("Error"), MessageIcon::Error);
}
