#include <QLabel>
#include <string>

#include "core/c_format.h"
#include "ui/widgets/data_string_grid.h"
#include "core/direction_sector.h"
#include "ui/widgets/grid_record_row.h"
#include "ui/main_window/main_form.h"

namespace {

std::string SpeedText(float value) { return FormatFixed(value, 2, 2); }

// Non-negative temperatures get a leading space, so that they line up with negative ones.
// (Prepended in place: GCC 12 at -O3 reports a false -Wrestrict for " " + std::string.)
std::string TemperatureText(float value) {
  std::string text = FormatFixed(value, 2, 2);
  if (value >= 0) text.insert(text.begin(), ' ');
  return text;
}

// A label repaints only when its text really changes.
void SetText(QLabel* label, const QString& text) {
  if (label->text() != text) label->setText(text);
}

void SetText(QLabel* label, const std::string& text) {
  SetText(label, QString::fromStdString(text));
}

}  // namespace

void TMainForm::CreateDataGrid() {
  DataGrid = new TDataStringGrid(centralWidget());
  DataGrid->setObjectName(QStringLiteral("DataGrid"));
  DataGrid->setGeometry(8, 30, 460, 283);
  DataGrid->SetColCount(9);
  DataGrid->SetRowCount(2);
  DataGrid->SetFixedCols(0);
  DataGrid->SetFixedRows(1);
  DataGrid->SetDefaultRowHeight(20);
  DataGrid->SetDefaultColWidth(140);
  DataGrid->SetColWidth(0, 110);
  DataGrid->setShowGrid(true);
  DataGrid->SetRowSelect(false);
  const char* const titles[] = {"Datum a čas",          "Rychlost větru průměr [m/s]",
                                "Náraz větru [m/s]",    "Teplota [°C]",
                                "Wind chill průměr [°C]", "Wind chill náraz [°C]",
                                "Beaufort průměr [-]",  "Beaufort náraz [-]",
                                "Směr větru [-]"};
  for (int col = 0; col < 9; ++col) DataGrid->SetCell(col, 0, titles[col]);
  DataGrid->show();
}

void TMainForm::WriteWindSpeedTitles() {
  StringGrid_WindSpeed->SetCell(0, 0, "");
  StringGrid_WindSpeed->SetCell(1, 0, "Prům.");
  StringGrid_WindSpeed->SetCell(2, 0, "Náraz");
  for (int sector = 0; sector < kSectorCount; ++sector) {
    StringGrid_WindSpeed->SetCell(0, sector + 1, SectorName(sector));
  }
}

void TMainForm::AddGridRow(const SystemTime& time, int sector, float avg, float gust,
                           float temperature, float wcAvg, float wcGust, float bfAvg,
                           float bfGust) {
  if (sector == kNoDirection) {
    gridRowsToDrop_ = 0;
    DataGrid->SetRowCount(2);
    for (int col = 0; col < DataGrid->ColCount(); ++col) DataGrid->SetCell(col, 1, "");
    DataGrid->RowInUse = 0;
    return;
  }
  // Kept as the record's values; the grid formats a row's texts only when it reads them.
  const GridRecordRow row{time, sector, {avg, gust, temperature, wcAvg, wcGust, bfAvg, bfGust}};
  const bool reuseBottomRow = gridRowsToDrop_ > 0 && DataGrid->RowCount() > 2;
  if (reuseBottomRow) --gridRowsToDrop_;
  ApplyGridRowDrops();
  if (DataGrid->RowInUse == 0) {
    DataGrid->RowInUse = 1;
    DataGrid->SetRecordRow(DataGrid->RowCount() - 1, row);
    DataGrid->MoveLastRowToTop();
    return;
  }
  DataGrid->PutRecordRowUnderTitle(row, reuseBottomRow);
}

void TMainForm::DropOldestGridRow() {
  // Within a report the next new top row takes the bottom row's place.
  if (openReports_ > 0) {
    ++gridRowsToDrop_;
    return;
  }
  DropBottomGridRow();
}

void TMainForm::ApplyGridRowDrops() {
  for (; gridRowsToDrop_ > 0; --gridRowsToDrop_) DropBottomGridRow();
}

void TMainForm::DropBottomGridRow() {
  if (DataGrid->RowCount() > 2) {
    DataGrid->SetRowCount(DataGrid->RowCount() - 1);
  } else if (DataGrid->RowInUse == 1) {
    // The title row stays fixed: the last record row turns back into the empty placeholder.
    for (int col = 0; col < DataGrid->ColCount(); ++col) DataGrid->SetCell(col, 1, "");
    DataGrid->RowInUse = 0;
  }
}

void TMainForm::UpdateDirectionGrid(int sector, float avg, float gust) {
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

void TMainForm::ShowWindLabels(float current, float minimum, float maximum, float mean,
                               float gust) {
  SetText(CurWindPowerLabel, SpeedText(current));
  SetText(MinWindPowerLabel, SpeedText(minimum));
  SetText(MaxWindPowerLabel, SpeedText(maximum));
  SetText(AvgWindPowerLabel, SpeedText(mean));
  SetText(WindGustLabel, SpeedText(gust));
}

void TMainForm::ShowDirectionName(int sector) {
  const QString name = QString::fromUtf8(SectorName(sector));
  if (StaticText_WindDir->text() == name) return;
  StaticText_WindDir->setText(name);
  // Sized to its text like the other static texts: "WSW" is wider than the designed "NW".
  StaticText_WindDir->adjustSize();
}

void TMainForm::ShowTemperatureLabels(float current, float minimum, float maximum, float mean,
                                      float windChill) {
  SetText(StaticText_CurOutdoorTemp, TemperatureText(current));
  SetText(StaticText_MinOutdoorTemp, TemperatureText(minimum));
  SetText(StaticText_MaxOutdoorTemp, TemperatureText(maximum));
  SetText(StaticText_AvgOutdoorTemp, TemperatureText(mean));
  SetText(StaticText_WindChill, TemperatureText(windChill));
}
