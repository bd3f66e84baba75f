#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPixmap>
#include <QStyle>
#include <QToolButton>

#include "alarms/alarm_limit_controls.h"
#include "ui/drawing/compass_card.h"
#include "ui/widgets/data_string_grid.h"
#include "ui/main_window/main_form.h"
#include "ui/desktop/program_font.h"

namespace {

QLabel* PlaceLabel(QWidget* parent, const char* text, int left, int top,
                   const char* name = nullptr) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  if (name != nullptr) label->setObjectName(QString::fromUtf8(name));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->move(left, top);
  label->adjustSize();
  return label;
}

// A value label keeps a fixed width, so that a longer number never needs a new layout.
QLabel* PlaceValue(QWidget* parent, const char* name, const char* designText, int left, int top,
                   int width) {
  QLabel* label = PlaceLabel(parent, designText, left, top, name);
  label->resize(width, label->height());
  return label;
}

void SetTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  widget->setPalette(palette);
}

QLabel* PlacePicture(QWidget* parent, const char* name, int left, int top, int width,
                     int height) {
  auto* picture = new QLabel(parent);
  picture->setObjectName(QString::fromUtf8(name));
  picture->setGeometry(left, top, width, height);
  picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // Its picture covers it whole: what lies behind (a group box's frame, drawn by the style
  // with several threads for a tall area) is not painted again whenever the picture changes.
  picture->setAttribute(Qt::WA_OpaquePaintEvent);
  return picture;
}

QGroupBox* PlaceGroup(QWidget* parent, const char* name, const char* caption, int left, int top,
                      int width, int height) {
  auto* group = new QGroupBox(QString::fromUtf8(caption), parent);
  group->setObjectName(QString::fromUtf8(name));
  group->setGeometry(left, top, width, height);
  return group;
}

QToolButton* PlaceToolButton(QWidget* parent, const char* name, const char* hint, int left,
                             QStyle::StandardPixmap glyph) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromUtf8(name));
  button->setToolTip(QString::fromUtf8(hint));
  button->setAutoRaise(true);
  button->setGeometry(left, 2, 23, 22);
  button->setIconSize(QSize(16, 16));
  button->setIcon(parent->style()->standardIcon(glyph));
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
  CreateMenu();
  CreateToolButtons(client);

  CheckBox_UkladatUdajePriCteni =
      new QCheckBox(QString::fromUtf8("Ukládat údaje při čtení"), client);
  CheckBox_UkladatUdajePriCteni->setObjectName(QStringLiteral("CheckBox_UkladatUdajePriCteni"));
  CheckBox_UkladatUdajePriCteni->move(35, 320);
  CheckBox_UkladatUdajePriCteni->adjustSize();

  CreateWindGroup(client);

  StaticText_WindDir = PlaceValue(client, "StaticText_WindDir", "NW", 634, 356, 67);
  StaticText_WindDir->setFont(DirectionNameFont());
  StaticText_WindDir->setMinimumSize(67, 46);
  StaticText_WindDir->resize(67, 46);
  Image_CaptureIndicator = PlacePicture(client, "Image_CaptureIndicator", 787, 375, 20, 20);

  CreateCharts(client);
  CreateTemperatureGroup(client);
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
  SpeedButton_FileOpen = PlaceToolButton(client, "SpeedButton_FileOpen", "Načíst datový soubor",
                                         2, QStyle::SP_DialogOpenButton);
  SpeedButton_FileSave = PlaceToolButton(client, "SpeedButton_FileSave",
                                         "Uložit data do souboru", 25, QStyle::SP_DialogSaveButton);
  SpeedButton_FileSavePdf =
      PlaceToolButton(client, "SpeedButton_FileSavePdf", "Uložit data do souboru jako PDF", 48,
                      QStyle::SP_FileIcon);
  SpeedButton_CaptureStart = PlaceToolButton(client, "SpeedButton_CaptureStart",
                                             "Spustit čtení dat", 94, QStyle::SP_MediaPlay);
  SpeedButton_CaptureStop = PlaceToolButton(client, "SpeedButton_CaptureStop",
                                            "Zastavit čtení dat", 117, QStyle::SP_MediaStop);
  SpeedButton_Alarms = PlaceToolButton(client, "SpeedButton_Alarms", "Zobrazit alarmy", 163,
                                       QStyle::SP_MessageBoxWarning);
}

// One of the four alarm twins: its caption, then the limit's controls, bound to the shared
// limits.
void TMainForm::PlaceAlarmTwin(QWidget* parent, const char* caption, const char* name, int left,
                               int top, AlarmLimit limit) {
  PlaceLabel(parent, caption, left, top);
  CreateAlarmLimitControls(parent, QString::fromUtf8(name),
                           {QRect(left, top + 15, 36, 21), QRect(left + 36, top + 15, 17, 21),
                            QRect(left + 58, top + 13, 25, 25)},
                           alarmLimits_, limit);
}

void TMainForm::CreateWindGroup(QWidget* client) {
  GroupBox_Wind = PlaceGroup(client, "GroupBox_Wind", " Vítr ", 476, 1, 331, 345);

  Image_WindRose = PlacePicture(GroupBox_Wind, "Image_WindRose", 10, 18, 200, 200);
  WindRosePicture = MakeCompassCard();
  Image_WindRose->setPixmap(QPixmap::fromImage(WindRosePicture));

  StringGrid_WindSpeed = new TDataStringGrid(GroupBox_Wind);
  StringGrid_WindSpeed->setObjectName(QStringLiteral("StringGrid_WindSpeed"));
  StringGrid_WindSpeed->setGeometry(218, 18, 103, 290);
  StringGrid_WindSpeed->SetColCount(3);
  StringGrid_WindSpeed->SetRowCount(17);
  StringGrid_WindSpeed->SetFixedRows(1);
  StringGrid_WindSpeed->SetFixedCols(1);
  StringGrid_WindSpeed->SetDefaultColWidth(33);
  StringGrid_WindSpeed->SetDefaultRowHeight(16);
  StringGrid_WindSpeed->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  StringGrid_WindSpeed->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  StringGrid_WindSpeed->setFrameShape(QFrame::Box);
  StringGrid_WindSpeed->setLineWidth(1);
  StringGrid_WindSpeed->setSelectionMode(QAbstractItemView::NoSelection);
  StringGrid_WindSpeed->setFocusPolicy(Qt::NoFocus);

  // Caption, value and unit of each wind line; the current speed is blue, the gust red.
  struct WindLine {
    const char* caption;
    const char* name;
    QLabel** label;
    QColor colour;
  };
  const WindLine lines[] = {
      {"Rychlost:", "CurWindPowerLabel", &CurWindPowerLabel, QColor(0, 0, 255)},
      {"Min:", "MinWindPowerLabel", &MinWindPowerLabel, QColor()},
      {"Max:", "MaxWindPowerLabel", &MaxWindPowerLabel, QColor()},
      {"Průměr:", "AvgWindPowerLabel", &AvgWindPowerLabel, QColor()},
      {"Náraz:", "WindGustLabel", &WindGustLabel, QColor(255, 0, 0)},
  };
  int top = 226;
  for (const WindLine& line : lines) {
    QLabel* caption = PlaceLabel(GroupBox_Wind, line.caption, 12, top);
    *line.label = PlaceValue(GroupBox_Wind, line.name, "00,00", 60, top, 40);
    QLabel* unit = PlaceLabel(GroupBox_Wind, "m/s", 100, top);
    if (line.colour.isValid()) {
      for (QWidget* part : {caption, *line.label, unit}) SetTextColour(part, line.colour);
    }
    top += 16;
  }

  PlaceAlarmTwin(GroupBox_Wind, "Alarm horní mez:", "WindAlarmHi", 128, 224, AlarmLimit::WindAvgHi);
  PlaceAlarmTwin(GroupBox_Wind, "Alarm dolní mez:", "WindAlarmLo", 128, 266, AlarmLimit::WindAvgLo);

  PlaceLabel(GroupBox_Wind, "Zobrazit ukazatele:", 12, 318);
  ComboBox_TypGrafuNaKompasu = new QComboBox(GroupBox_Wind);
  ComboBox_TypGrafuNaKompasu->setObjectName(QStringLiteral("ComboBox_TypGrafuNaKompasu"));
  ComboBox_TypGrafuNaKompasu->addItems({QString::fromUtf8("Nezobrazovat"),
                                        QString::fromUtf8("Rychlost větru průměr"),
                                        QString::fromUtf8("Rychlost větru náraz")});
  ComboBox_TypGrafuNaKompasu->setGeometry(112, 314, 150, 21);
}

void TMainForm::CreateCharts(QWidget* client) {
  constexpr int kWidth = TrendCharts::kChartWidth;
  constexpr int kHeight = TrendCharts::kChartHeight;
  Image_Wind = PlacePicture(client, "Image_Wind", 35, 382, kWidth, kHeight);
  Image_WindDir = PlacePicture(client, "Image_WindDir", 354, 382, kWidth, kHeight);
  Image_WindChill = PlacePicture(client, "Image_WindChill", 35, 544, kWidth, kHeight);
  Image_Temperature = PlacePicture(client, "Image_Temperature", 354, 544, kWidth, kHeight);

  PlaceLabel(client, "Rychlost větru průměr/max a Beaufort:", 35, 362);
  PlaceLabel(client, "Směr větru:", 354, 362);
  PlaceLabel(client, "Wind chill průměr/max:", 35, 524);
  PlaceLabel(client, "Teplota:", 354, 524);

  struct Scale {
    const char* text;
    int left, top;
  };
  const Scale scales[] = {
      // Wind speed on the left, Beaufort on the right.
      {"50 -", 12, 376}, {"40 -", 12, 397}, {"30 -", 12, 419}, {"20 -", 12, 441},
      {"10 -", 12, 463}, {"0 -", 18, 485}, {"- 12", 280, 375}, {"- 9", 280, 402},
      {"- 6", 280, 430}, {"- 3", 280, 457}, {"- 0", 280, 485}, {"0", 32, 498},
      {"-10", 112, 498}, {"-20", 192, 498}, {"-30", 270, 498},
      // Direction.
      {"NNW -", 319, 376}, {"W -", 333, 402}, {"S -", 337, 430}, {"E -", 337, 457},
      {"N -", 336, 485}, {"0", 352, 498}, {"-10", 432, 498}, {"-20", 512, 498},
      {"-30", 590, 498},
      // Wind chill.
      {"55 -", 12, 538}, {"27 -", 12, 565}, {"0 -", 18, 592}, {"-27 -", 8, 619},
      {"-55 -", 8, 647}, {"0", 32, 659}, {"-10", 112, 659}, {"-20", 192, 659},
      {"-30", 272, 659},
      // Temperature.
      {"55 -", 331, 538}, {"27 -", 331, 567}, {"0 -", 337, 597}, {"-30 -", 327, 622},
      {"-60 -", 327, 647}, {"0", 352, 659}, {"-10", 432, 659}, {"-20", 512, 659},
      {"-30", 590, 659},
  };
  for (const Scale& scale : scales) PlaceLabel(client, scale.text, scale.left, scale.top);
  PlaceLabel(client, "Osy X mají jednotku [min]", 624, 659);
}

void TMainForm::CreateTemperatureGroup(QWidget* client) {
  GroupBox_Temperature =
      PlaceGroup(client, "GroupBox_Temperature", " Teplota ", 624, 408, 183, 229);
  Image_TemperatureBar = PlacePicture(GroupBox_Temperature, "Image_TemperatureBar", 18, 32, 32, 169);

  GroupBox_Outdoor =
      PlaceGroup(GroupBox_Temperature, "GroupBox_Outdoor", " Venkovní ", 60, 16, 115, 106);
  struct TemperatureLine {
    const char* caption;
    const char* name;
    QLabel** label;
  };
  const TemperatureLine lines[] = {
      {"Aktualní:", "StaticText_CurOutdoorTemp", &StaticText_CurOutdoorTemp},
      {"Min:", "StaticText_MinOutdoorTemp", &StaticText_MinOutdoorTemp},
      {"Max:", "StaticText_MaxOutdoorTemp", &StaticText_MaxOutdoorTemp},
      {"Průměr:", "StaticText_AvgOutdoorTemp", &StaticText_AvgOutdoorTemp},
      {"WChill: ", "StaticText_WindChill", &StaticText_WindChill},
  };
  int top = 22;
  for (const TemperatureLine& line : lines) {
    PlaceLabel(GroupBox_Outdoor, line.caption, 8, top);
    *line.label = PlaceValue(GroupBox_Outdoor, line.name, "-00,00", 52, top, 40);
    PlaceLabel(GroupBox_Outdoor, "°C", 94, top);
    top += 16;
  }

  PlaceAlarmTwin(GroupBox_Temperature, "Alarm horní mez:", "TempAlarmHi", 60, 126,
                 AlarmLimit::TempHi);
  PlaceAlarmTwin(GroupBox_Temperature, "Alarm dolní mez:", "TempAlarmLo", 60, 168,
                 AlarmLimit::TempLo);
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
  connect(ComboBox_TypGrafuNaKompasu, &QComboBox::activated, this,
          [this] { ComboBox_TypGrafuNaKompasuSelect(ComboBox_TypGrafuNaKompasu); });
}
