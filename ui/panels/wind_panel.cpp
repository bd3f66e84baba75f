#include "ui/panels/wind_panel.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <string>

#include "alarms/alarm_limit.h"
#include "core/c_format.h"
#include "ui/desktop/program_font.h"
#include "ui/drawing/compass_card.h"
#include "ui/panels/placed_controls.h"
#include "ui/widgets/data_string_grid.h"
#include "ui/widgets/fit_to_text.h"

namespace {

std::string SpeedText(float value) { return FormatFixed(value, 2, 2); }

}  // namespace

WindPanel::WindPanel(QWidget* client, AlarmLimits& limits) {
  GroupBox_Wind = PlaceGroup(client, "GroupBox_Wind", " Vítr ", 476, 1, 331, 345);

  Image_WindRose = PlacePicture(GroupBox_Wind, "Image_WindRose", 10, 18, 200, 200);
  WindRosePicture = CompassCard();
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

  PlaceAlarmTwin(GroupBox_Wind, "Alarm horní mez:", "WindAlarmHi", 128, 224, limits,
                 AlarmLimit::WindAvgHi);
  PlaceAlarmTwin(GroupBox_Wind, "Alarm dolní mez:", "WindAlarmLo", 128, 266, limits,
                 AlarmLimit::WindAvgLo);

  PlaceLabel(GroupBox_Wind, "Zobrazit ukazatele:", 12, 318);
  ComboBox_TypGrafuNaKompasu = new QComboBox(GroupBox_Wind);
  ComboBox_TypGrafuNaKompasu->setObjectName(QStringLiteral("ComboBox_TypGrafuNaKompasu"));
  ComboBox_TypGrafuNaKompasu->addItems({QString::fromUtf8("Nezobrazovat"),
                                        QString::fromUtf8("Rychlost větru průměr"),
                                        QString::fromUtf8("Rychlost větru náraz")});
  ComboBox_TypGrafuNaKompasu->setGeometry(112, 314, 150, 21);

  StaticText_WindDir = PlaceValue(client, "StaticText_WindDir", "NW", 634, 356, 67);
  StaticText_WindDir->setFont(DirectionNameFont());
  StaticText_WindDir->setMinimumSize(67, 46);
  StaticText_WindDir->resize(67, 46);

  WriteWindSpeedTitles();
}

void WindPanel::WriteWindSpeedTitles() {
  StringGrid_WindSpeed->SetCell(0, 0, "");
  StringGrid_WindSpeed->SetCell(1, 0, "Prům.");
  StringGrid_WindSpeed->SetCell(2, 0, "Náraz");
  for (int sector = 0; sector < kSectorCount; ++sector) {
    StringGrid_WindSpeed->SetCell(0, sector + 1, SectorName(sector));
  }
}

void WindPanel::UpdateDirectionGrid(int sector, float avg, float gust) {
  if (sector == kNoDirection) {
    for (int row = 1; row <= kSectorCount; ++row) {
      StringGrid_WindSpeed->SetCell(1, row, "");
      StringGrid_WindSpeed->SetCell(2, row, "");
    }
    sectorAvgSpeed_.fill(0);
    sectorGustSpeed_.fill(0);
    sectorTextsOwed_.reset();
    return;
  }
  if (sector < 0 || sector >= kSectorCount) return;
  StringGrid_WindSpeed->SetCell(1, sector + 1, SpeedText(avg));
  StringGrid_WindSpeed->SetCell(2, sector + 1, SpeedText(gust));
}

void WindPanel::ShowWindLabels(float current, float minimum, float maximum, float mean,
                               float gust) {
  ShowText(CurWindPowerLabel, SpeedText(current));
  ShowText(MinWindPowerLabel, SpeedText(minimum));
  ShowText(MaxWindPowerLabel, SpeedText(maximum));
  ShowText(AvgWindPowerLabel, SpeedText(mean));
  ShowText(WindGustLabel, SpeedText(gust));
}

void WindPanel::ShowDirectionName(int sector) {
  const QString name = QString::fromUtf8(SectorName(sector));
  if (StaticText_WindDir->text() == name) return;
  StaticText_WindDir->setText(name);
  // Sized to its text like the other static texts: "WSW" is wider than the designed "NW".
  FitToText(*StaticText_WindDir);
}

void WindPanel::DrawWindRose(int sector) {
  // The same direction, petal type and petals give the same picture: nothing to draw or show.
  const RoseInputs inputs{sector, compassChartType_, sectorAvgSpeed_, sectorGustSpeed_};
  if (inputs == roseShown_) return;
  Rose.DrawWindRose(WindRosePicture, sector, compassChartType_, sectorAvgSpeed_, sectorGustSpeed_);
  ShowPicture(Image_WindRose, WindRosePicture);
  roseShown_ = inputs;
}

void WindPanel::TakeSectorSpeeds(int sector, float avg, float gust) {
  if (sector < 0 || sector >= kSectorCount) return;
  const auto s = static_cast<std::size_t>(sector);
  sectorAvgSpeed_[s] = avg;
  sectorGustSpeed_[s] = gust;
  sectorTextsOwed_.set(s);
}

void WindPanel::ShowNewSectorSpeeds() {
  for (std::size_t sector = 0; sector < sectorTextsOwed_.size(); ++sector) {
    if (!sectorTextsOwed_.test(sector)) continue;
    UpdateDirectionGrid(static_cast<int>(sector), sectorAvgSpeed_[sector],
                        sectorGustSpeed_[sector]);
  }
  sectorTextsOwed_.reset();
}

void WindPanel::SetCompassChartType(std::int32_t type) {
  compassChartType_ = type;
  ComboBox_TypGrafuNaKompasu->setCurrentIndex(type >= 1 && type <= 3 ? type - 1 : 0);
}

void WindPanel::TakeChosenCompassChartType() {
  switch (ComboBox_TypGrafuNaKompasu->currentIndex()) {
    case 1:
      compassChartType_ = kCompassChartAverage;
      break;
    case 2:
      compassChartType_ = kCompassChartGust;
      break;
    default:  // "Nezobrazovat", or nothing selected
      compassChartType_ = kCompassChartNone;
      break;
  }
}
