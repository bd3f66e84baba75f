#pragma once

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "alarms/alarm_limit.h"
#include "alarms/alarm_limits.h"
#include "capture/capture_session.h"
#include "core/measurement_core.h"
#include "core/program_files.h"
#include "core/record_function.h"
#include "core/system_time.h"
#include "files/live_log.h"
#include "files/posix_file_store.h"

class Clock;
class FileDialogs;
class HidTransport;
class MessageBoxes;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QStyle;
class QToolButton;
class DataGridPanel;
class RecordDisplay;
class TAboutBox;
class TAlarmsForm;
class TDataStringGrid;
class TKalibracniTabulkaForm;
class TKalibracniTabulkaZaznamForm;
class TNastaveniSmeruVetruForm;
class TemperaturePanel;
class TrendChartPanel;
class WindPanel;

// What the main window needs from the rest of the program.
struct MainFormServices {
  HidTransport& transport;  // the anemometer's transport, handed to the device link
  Clock& clock;             // arrival times of the reports
  ProgramFiles files;       // where anemometer.cal, anemometer.ini and alarm.wav live
  // Null: the window's own QMessageBox and QFileDialog. Tests put fakes here.
  MessageBoxes* messages = nullptr;
  FileDialogs* fileDialogs = nullptr;
};

// The program's main window. It owns everything that lives for the whole run: the capture
// session (measurement state, device link, live log) and the panels that show its records (the
// data grid, the wind, the temperature, the trend charts). The capture thread reaches it only
// through two posted events, handled by MainWindowProc on the user-interface thread.
class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  static constexpr int kClientWidth = 815;
  static constexpr int kClientHeight = 700;
  // The open and save dialogs of the file commands.
  static constexpr const char* kDataFileFilter = "CSV file|*.csv";
  static constexpr const char* kDataFileExtension = "csv";

  explicit TMainForm(const MainFormServices& services, QWidget* parent = nullptr);
  ~TMainForm() override;

  // Has the style's pictures for the tool buttons made ahead, on the icon theme's thread
  // (ui/desktop/icon_theme.h).
  static void PrepareToolButtonIcons(const QStyle& style);
  // Gives the tool buttons their pictures, once the icon theme's thread is done. The window does
  // it itself when it is built, unless that thread is still reading the theme: then the program
  // calls it once it has shown the window, which is built and mapped meanwhile.
  void ShowToolButtonIcons();

  // Menu commands; the tool buttons forward to them with their own sender.
  void OpenClick(QObject* sender);
  void SaveClick(QObject* sender);
  void SaveAsPDFClick(QObject* sender);
  void ExitClick(QObject* sender);
  void StartCaptureClick(QObject* sender);
  void StopCaptureClick(QObject* sender);
  void ShowAlarmsClick(QObject* sender);
  void KalibracniTabulkaClick(QObject* sender);
  void PosunutiSmeruVetruClick(QObject* sender);
  void ShowAboutClick(QObject* sender);

  void SpeedButton_FileOpenClick(QObject* sender);
  void SpeedButton_FileSaveClick(QObject* sender);
  void SpeedButton_FileSavePdfClick(QObject* sender);
  void SpeedButton_CaptureStartClick(QObject* sender);
  void SpeedButton_CaptureStopClick(QObject* sender);
  void SpeedButton_AlarmsClick(QObject* sender);

  // Runs whenever the check box changes, whether the user or the program changed it.
  void CheckBox_UkladatUdajePriCteniClick(QObject* sender);
  void ComboBox_TypGrafuNaKompasuSelect(QObject* sender);

  // Every display back to empty, the running statistics and the decoder state reset. The
  // record store and the chart points are left alone.
  void ResetDisplay();

  // The displays the measurement core and the file reader feed, each a forward to its panel.
  // Sector 16 clears.
  void AddGridRow(const SystemTime& time, int sector, float avg, float gust, float temperature,
                  float wcAvg, float wcGust, float bfAvg, float bfGust);
  void UpdateDirectionGrid(int sector, float avg, float gust);
  void ShowWindLabels(float current, float minimum, float maximum, float mean, float gust);
  void ShowDirectionName(int sector);
  void ShowTemperatureLabels(float current, float minimum, float maximum, float mean,
                             float windChill);
  // The store dropped its oldest record: the grid loses its bottom row.
  void DropOldestGridRow();

  // The panels and the display that feeds them the records.
  DataGridPanel& Grid() { return *grid_; }
  WindPanel& Wind() { return *wind_; }
  const WindPanel& Wind() const { return *wind_; }
  TemperaturePanel& Temperature() { return *temperature_; }
  const TemperaturePanel& Temperature() const { return *temperature_; }
  TrendChartPanel& Trends() { return *trends_; }
  const TrendChartPanel& Trends() const { return *trends_; }
  RecordDisplay& Display() { return *display_; }

  // The eight alarm limits and switches for the whole run: the alarms window shows, changes and
  // checks them, and this window's twins show and change four of them.
  AlarmLimits& Limits() { return alarmLimits_; }

  const ProgramFiles& Files() const { return files_; }
  // The full name of one of the program's own files to read: the user's own, else the
  // installed default.
  QString ProgramFile(const char* fileName) const;

  // The measurement state of the capture this window drives and shows (calibration table,
  // record store, decoder, statistics, direction offset, DataLock), and its live log.
  MeasurementCore& Core() { return core_; }
  const MeasurementCore& Core() const { return core_; }
  LiveLog& LiveLogFile() { return liveLog_; }

  // 1 while capturing.
  std::int32_t CaptureRunning() const { return captureRunning_; }

  // From now on every captured record is also kept in the station archive file. Whatever goes
  // wrong with it is told once, the first time; capture goes on. Records read with Open are not
  // captured and not archived.
  void KeepArchive(const std::filesystem::path& file);

  // Empties the chart points; the next record opens a new one. Capture start and Open call it
  // together with emptying the record store.
  void ClearChartPoints();

  // The dialogs this window opens, created once right after it as its children; a command
  // whose dialog was never attached does nothing.
  void AttachDialog(TAboutBox* dialog) { AboutBox = dialog; }
  void AttachDialog(TAlarmsForm* dialog) { AlarmsForm = dialog; }
  void AttachDialog(TKalibracniTabulkaForm* dialog) { KalibracniTabulkaForm = dialog; }
  void AttachDialog(TKalibracniTabulkaZaznamForm* dialog) { KalibracniTabulkaZaznamForm = dialog; }
  void AttachDialog(TNastaveniSmeruVetruForm* dialog) { NastaveniSmeruVetruForm = dialog; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int SaveSettings();

  // The capture indicator: green while capturing, red when stopped.
  void ShowCaptureState(int running);
  void ClearTrendCharts();
  void DrawTemperatureBar(float temperature);
  void DrawWindRose(int sector);
  // The window's hook for the capture thread's two events; true when it took the event.
  bool MainWindowProc(QEvent* event);
  void CheckAlarms(float temperature, float avgSpeed, float gustSpeed, float windChillAvg);
  void WriteLiveLogRow(const MeasurementRecord& record);
  void StopCaptureOnInvalidPacket();

  // The full name to save one of the program's own files under; its folder is created if
  // needed.
  std::filesystem::path ProgramFileToWrite(const char* fileName) const;

  // The capture: device link, measurement state, live log and the hand-over of reports, which
  // arrive as the two posted events of MainWindowProc.
  CaptureSession session_;
  // The session's measurement state and live log, under short names for the handlers.
  MeasurementCore& core_;
  LiveLog& liveLog_;
  std::int32_t captureRunning_ = 0;

  // The attached dialogs; null until then.
  TAlarmsForm* AlarmsForm = nullptr;
  TNastaveniSmeruVetruForm* NastaveniSmeruVetruForm = nullptr;
  TAboutBox* AboutBox = nullptr;
  TKalibracniTabulkaForm* KalibracniTabulkaForm = nullptr;
  TKalibracniTabulkaZaznamForm* KalibracniTabulkaZaznamForm = nullptr;

  // The window's controls, each with its own name as object name. Menu.
  QMenuBar* MainMenu = nullptr;
  QMenu* FileMenu = nullptr;
  QAction* Open = nullptr;
  QAction* Save = nullptr;
  QAction* SaveAsPDF = nullptr;
  QAction* ExitSeparator = nullptr;
  QAction* Exit = nullptr;
  QMenu* CaptureMenu = nullptr;
  QAction* StartCapture = nullptr;
  QAction* StopCapture = nullptr;
  QMenu* AlarmsMenu = nullptr;
  QAction* ShowAlarms = nullptr;
  QMenu* SettingsMenu = nullptr;
  QAction* KalibracniTabulka = nullptr;
  QAction* PosunutiSmeruVetru = nullptr;
  QMenu* HelpMenu = nullptr;
  QAction* ShowAbout = nullptr;

  QToolButton* SpeedButton_FileOpen = nullptr;
  QToolButton* SpeedButton_FileSave = nullptr;
  QToolButton* SpeedButton_FileSavePdf = nullptr;
  QToolButton* SpeedButton_CaptureStart = nullptr;
  QToolButton* SpeedButton_CaptureStop = nullptr;
  QToolButton* SpeedButton_Alarms = nullptr;

  QCheckBox* CheckBox_UkladatUdajePriCteni = nullptr;
  QLabel* Image_CaptureIndicator = nullptr;

  // The panels, each with its controls and what it shows; the display hands them the records.
  std::unique_ptr<WindPanel> wind_;
  std::unique_ptr<TrendChartPanel> trends_;
  std::unique_ptr<TemperaturePanel> temperature_;
  std::unique_ptr<DataGridPanel> grid_;
  std::unique_ptr<RecordDisplay> display_;

  void FormCreate();
  void FormDestroy();
  void CreateControls();
  void FinishControls();  // the menu bar, the handlers, the window's size
  void CreateMenu();
  void CreateToolButtons(QWidget* client);
  void ConnectHandlers();
  void DecodePacket();
  void ShowInformation(const char* text);

  Clock& clock_;
  ProgramFiles files_;
  AlarmLimits alarmLimits_;
  std::unique_ptr<MessageBoxes> ownMessages_;
  std::unique_ptr<FileDialogs> ownFileDialogs_;
  MessageBoxes* messages_;
  FileDialogs* fileDialogs_;
  PosixFileStore programFiles_;  // saves of anemometer.cal
  // The record consumers besides the display: the alarm check and the live log.
  RecordFunction alarmCheck_;
  RecordFunction liveLogRows_;
  bool messageHookInstalled_ = false;
  bool archiveProblemTold_ = false;
};
