#include "ui/main_window/main_form.h"

#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <algorithm>
#include <string>

#include "core/calibration.h"
#include "ui/widgets/data_string_grid.h"
#include "core/direction_sector.h"
#include "ui/desktop/message_boxes.h"
#include "ui/desktop/qt_file_dialogs.h"
#include "ui/desktop/qt_message_boxes.h"
#include "device/usb_anemometer.h"

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
      liveLogRows_([this](const MeasurementRecord& r, const RecordContext&) { WriteLiveLogRow(r); }) {
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
  CreateDataGrid();
  WriteWindSpeedTitles();

  const LoadedProgramFiles loaded = session_.LoadProgramFiles(files_);
  if (!loaded.calibrationLoaded) {
    messages_->Show(QStringLiteral("Cannot load calibration table, using default values."),
                    QStringLiteral("Information"), MessageIcon::Information);
  }
  if (loaded.settingsUnreadable) {
    messages_->Show(QStringLiteral("Cannot load settings file, using default values."),
                    QStringLiteral("Information"), MessageIcon::Information);
  }
  compassChartType_ = loaded.compassChartType;
  ComboBox_TypGrafuNaKompasu->setCurrentIndex(
      compassChartType_ >= 1 && compassChartType_ <= 3 ? compassChartType_ - 1 : 0);

  CaptureIndicatorBitmap = QImage(20, 20, QImage::Format_RGB32);
  ClearChartPoints();
  ResetDisplay();
  ShowCaptureState(0);

  // Each record goes, in this order, to the display, the alarm check and the live log.
  session_.AddConsumer(*this);
  session_.AddConsumer(alarmCheck_);
  session_.AddConsumer(liveLogRows_);

  installEventFilter(this);
  messageHookInstalled_ = true;
}

void TMainForm::FormDestroy() {
  // The link goes first: once StopReading has returned no event can be posted any more.
  session_.StopReading();
  if (messageHookInstalled_) {
    removeEventFilter(this);
    messageHookInstalled_ = false;
  }
  delete DataGrid;
  DataGrid = nullptr;
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
  Bar.SetLastBarTemperature(0);
}

void TMainForm::BeginReport(std::int32_t rowCount) {
  ++openReports_;
  rowsStillComing_ += std::max<std::int32_t>(rowCount, 0);
}

void TMainForm::TakeRecord(const MeasurementRecord& record, const RecordContext& context) {
  for (std::int32_t i = 0; i < context.DroppedOldest; ++i) DropOldestGridRow();
  ShowRecord(record, context.Statistics);
}

void TMainForm::EndReport() {
  if (openReports_ > 0) --openReports_;
  if (openReports_ > 0) return;
  rowsStillComing_ = 0;
  ApplyGridRowDrops();
  DataGrid->LayOutAddedRows();
  if (newestRecordOwed_) ShowNewestRecord();
}

void TMainForm::ShowRecord(const MeasurementRecord& record, const DisplayStatistics& statistics) {
  if (rowsStillComing_ > 0) --rowsStillComing_;
  const int s = record.Sector;
  AddGridRow(record.Time, s, record.AvgSpeed, record.GustSpeed, record.Temperature,
             record.WindChillAvg, record.WindChillGust, record.BeaufortAvg,
             record.BeaufortGust);
  // The direction table's texts are written once per report, for the sectors it touched.
  if (s >= 0 && s < kSectorCount) {
    sectorAvgSpeed_[static_cast<std::size_t>(s)] = record.AvgSpeed;
    sectorGustSpeed_[static_cast<std::size_t>(s)] = record.GustSpeed;
    sectorTextsOwed_.set(static_cast<std::size_t>(s));
  }
  // A chart point completes every third row: with three more rows to come, another one will
  // complete in this report and hide this drawing, so only the last one is drawn.
  UpdateTrendCharts(rowsStillComing_ < TrendCharts::RecordsPerChartPoint);
  newestShown_ = record;
  newestStatistics_ = statistics;
  newestRecordOwed_ = true;
  if (openReports_ == 0) ShowNewestRecord();
}

void TMainForm::ShowNewestRecord() {
  newestRecordOwed_ = false;
  const MeasurementRecord& record = newestShown_;
  const DisplayStatistics& statistics = newestStatistics_;
  for (std::size_t sector = 0; sector < sectorTextsOwed_.size(); ++sector) {
    if (!sectorTextsOwed_.test(sector)) continue;
    UpdateDirectionGrid(static_cast<int>(sector), sectorAvgSpeed_[sector],
                        sectorGustSpeed_[sector]);
  }
  sectorTextsOwed_.reset();
  DrawWindRose(record.Sector);
  ShowWindLabels(record.AvgSpeed, statistics.AvgSpeedMin, statistics.AvgSpeedMax,
                 statistics.AvgSpeedMean, record.GustSpeed);
  ShowRedrawnTrendCharts();
  ShowDirectionName(record.Sector);
  DrawTemperatureBar(record.Temperature);
  ShowTemperatureLabels(record.Temperature, statistics.TemperatureMin,
                        statistics.TemperatureMax, statistics.TemperatureMean,
                        record.WindChillAvg);
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
