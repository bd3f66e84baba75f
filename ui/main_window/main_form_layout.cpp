#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolButton>
#include <cstddef>
#include <iterator>

#include "ui/desktop/icon_theme.h"
#include "ui/desktop/program_font.h"
#include "ui/main_window/main_form.h"
#include "ui/panels/placed_controls.h"
#include "ui/panels/temperature_panel.h"
#include "ui/panels/trend_chart_panel.h"
#include "ui/panels/wind_panel.h"

namespace {

// The tool buttons' pictures, in the order of the buttons.
constexpr QStyle::StandardPixmap kToolButtonGlyphs[] = {
    QStyle::SP_DialogOpenButton, QStyle::SP_DialogSaveButton, QStyle::SP_FileIcon,
    QStyle::SP_MediaPlay,        QStyle::SP_MediaStop,        QStyle::SP_MessageBoxWarning};

QToolButton* PlaceToolButton(QWidget* parent, const char* name, const char* hint, int left) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromUtf8(name));
  button->setToolTip(QString::fromUtf8(hint));
  button->setAutoRaise(true);
  button->setGeometry(left, 2, 23, 22);
  button->setIconSize(QSize(16, 16));
  return button;
}

QAction* AddItem(QMenu* menu, const char* name, const char* caption) {
  QAction* item = menu->addAction(QString::fromUtf8(caption));
  item->setObjectName(QString::fromUtf8(name));
  return item;
}

QMenu* AddMenu(QMenuBar* bar, const char* name, const char* caption) {
  QMenu* menu = bar->addMenu(QString::fromUtf8(caption));
  menu->setObjectName(QString::fromUtf8(name));
  return menu;
}

}  // namespace

void TMainForm::CreateControls() {
  setWindowTitle(QStringLiteral("Kelvra USB Anemometer"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFont(ProgramFont());

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("Client"));
  client->setFixedSize(kClientWidth, kClientHeight);
  setCentralWidget(client);
  CreateToolButtons(client);

  CheckBox_UkladatUdajePriCteni =
      new QCheckBox(QString::fromUtf8("Ukládat údaje při čtení"), client);
  CheckBox_UkladatUdajePriCteni->setObjectName(QStringLiteral("CheckBox_UkladatUdajePriCteni"));
  CheckBox_UkladatUdajePriCteni->move(35, 320);
  CheckBox_UkladatUdajePriCteni->adjustSize();

  wind_ = std::make_unique<WindPanel>(client, alarmLimits_);
  Image_CaptureIndicator = PlacePicture(client, "Image_CaptureIndicator", 787, 375, 20, 20);
  trends_ = std::make_unique<TrendChartPanel>(client);
  temperature_ = std::make_unique<TemperaturePanel>(client, alarmLimits_);
}

void TMainForm::FinishControls() {
  CreateMenu();
  ConnectHandlers();

  // The menu bar sits above the client area, as a window menu would.
  setFixedSize(kClientWidth, kClientHeight + MainMenu->sizeHint().height());
}

void TMainForm::CreateMenu() {
  MainMenu = menuBar();
  MainMenu->setObjectName(QStringLiteral("MainMenu"));
  FileMenu = AddMenu(MainMenu, "FileMenu", "Soubor");
  Open = AddItem(FileMenu, "Open", "Načíst");
  Save = AddItem(FileMenu, "Save", "Uložit");
  SaveAsPDF = AddItem(FileMenu, "SaveAsPDF", "Uložit jako PDF");
  ExitSeparator = FileMenu->addSeparator();
  ExitSeparator->setObjectName(QStringLiteral("ExitSeparator"));
  Exit = AddItem(FileMenu, "Exit", "Konec");
  CaptureMenu = AddMenu(MainMenu, "CaptureMenu", "Data");
  StartCapture = AddItem(CaptureMenu, "StartCapture", "Spustit čtení dat");
  StopCapture = AddItem(CaptureMenu, "StopCapture", "Zastavit čtení dat");
  AlarmsMenu = AddMenu(MainMenu, "AlarmsMenu", "Alarmy");
  ShowAlarms = AddItem(AlarmsMenu, "ShowAlarms", "Zobrazit alarmy");
  SettingsMenu = AddMenu(MainMenu, "SettingsMenu", "Nastavení");
  KalibracniTabulka = AddItem(SettingsMenu, "KalibracniTabulka", "Kalibrační tabulka");
  PosunutiSmeruVetru = AddItem(SettingsMenu, "PosunutiSmeruVetru", "Posunutí směru větru");
  HelpMenu = AddMenu(MainMenu, "HelpMenu", "Pomoc");
  ShowAbout = AddItem(HelpMenu, "ShowAbout", "O programu");
}

void TMainForm::CreateToolButtons(QWidget* client) {
  SpeedButton_FileOpen = PlaceToolButton(client, "SpeedButton_FileOpen", "Načíst datový soubor", 2);
  SpeedButton_FileSave =
      PlaceToolButton(client, "SpeedButton_FileSave", "Uložit data do souboru", 25);
  SpeedButton_FileSavePdf =
      PlaceToolButton(client, "SpeedButton_FileSavePdf", "Uložit data do souboru jako PDF", 48);
  SpeedButton_CaptureStart =
      PlaceToolButton(client, "SpeedButton_CaptureStart", "Spustit čtení dat", 94);
  SpeedButton_CaptureStop =
      PlaceToolButton(client, "SpeedButton_CaptureStop", "Zastavit čtení dat", 117);
  SpeedButton_Alarms = PlaceToolButton(client, "SpeedButton_Alarms", "Zobrazit alarmy", 163);
}

void TMainForm::PrepareToolButtonIcons(const QStyle& style) {
  PrepareStandardIcons(style, kToolButtonGlyphs);
}

void TMainForm::ShowToolButtonIcons() {
  WaitForIconTheme();
  QToolButton* const buttons[] = {SpeedButton_FileOpen,    SpeedButton_FileSave,
                                  SpeedButton_FileSavePdf, SpeedButton_CaptureStart,
                                  SpeedButton_CaptureStop, SpeedButton_Alarms};
  static_assert(std::size(buttons) == std::size(kToolButtonGlyphs));
  for (std::size_t i = 0; i < std::size(buttons); ++i) {
    buttons[i]->setIcon(StandardIcon(*buttons[i]->style(), kToolButtonGlyphs[i]));
  }
}

void TMainForm::ConnectHandlers() {
  const auto menu = [this](QAction* item, void (TMainForm::*handler)(QObject*)) {
    connect(item, &QAction::triggered, this, [this, item, handler] { (this->*handler)(item); });
  };
  menu(Open, &TMainForm::OpenClick);
  menu(Save, &TMainForm::SaveClick);
  menu(SaveAsPDF, &TMainForm::SaveAsPDFClick);
  menu(Exit, &TMainForm::ExitClick);
  menu(StartCapture, &TMainForm::StartCaptureClick);
  menu(StopCapture, &TMainForm::StopCaptureClick);
  menu(ShowAlarms, &TMainForm::ShowAlarmsClick);
  menu(KalibracniTabulka, &TMainForm::KalibracniTabulkaClick);
  menu(PosunutiSmeruVetru, &TMainForm::PosunutiSmeruVetruClick);
  menu(ShowAbout, &TMainForm::ShowAboutClick);

  const auto click = [this](QAbstractButton* button, void (TMainForm::*handler)(QObject*)) {
    connect(button, &QAbstractButton::clicked, this,
            [this, button, handler] { (this->*handler)(button); });
  };
  click(SpeedButton_FileOpen, &TMainForm::SpeedButton_FileOpenClick);
  click(SpeedButton_FileSave, &TMainForm::SpeedButton_FileSaveClick);
  click(SpeedButton_FileSavePdf, &TMainForm::SpeedButton_FileSavePdfClick);
  click(SpeedButton_CaptureStart, &TMainForm::SpeedButton_CaptureStartClick);
  click(SpeedButton_CaptureStop, &TMainForm::SpeedButton_CaptureStopClick);
  click(SpeedButton_Alarms, &TMainForm::SpeedButton_AlarmsClick);

  // toggled also reports changes the program makes, which the live log relies on.
  connect(CheckBox_UkladatUdajePriCteni, &QCheckBox::toggled, this,
          [this] { CheckBox_UkladatUdajePriCteniClick(CheckBox_UkladatUdajePriCteni); });
  QComboBox* chartType = wind_->CompassChartChoice();
  connect(chartType, &QComboBox::activated, this,
          [this, chartType] { ComboBox_TypGrafuNaKompasuSelect(chartType); });
}
