#include "ui/panels/data_grid_panel.h"

#include "core/direction_sector.h"
#include "ui/widgets/data_string_grid.h"
#include "ui/widgets/grid_record_row.h"

DataGridPanel::DataGridPanel(QWidget* client) : DataGrid(new TDataStringGrid(client)) {
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
  const char* const titles[] = {
      "Datum a čas",         "Rychlost větru průměr [m/s]", "Náraz větru [m/s]",
      "Teplota [°C]",        "Wind chill průměr [°C]",      "Wind chill náraz [°C]",
      "Beaufort průměr [-]", "Beaufort náraz [-]",          "Směr větru [-]"};
  for (int col = 0; col < 9; ++col) DataGrid->SetCell(col, 0, titles[col]);
  DataGrid->show();
}

// The grid goes before the window's other controls, as the window's destruction always had it.
DataGridPanel::~DataGridPanel() { delete DataGrid; }

void DataGridPanel::AddGridRow(const SystemTime& time, int sector, float avg, float gust,
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

void DataGridPanel::DropOldestGridRow(bool withinReport) {
  if (withinReport) {
    ++gridRowsToDrop_;
    return;
  }
  DropBottomGridRow();
}

void DataGridPanel::FinishReport() {
  ApplyGridRowDrops();
  DataGrid->LayOutAddedRows();
}

void DataGridPanel::ApplyGridRowDrops() {
  for (; gridRowsToDrop_ > 0; --gridRowsToDrop_) DropBottomGridRow();
}

void DataGridPanel::DropBottomGridRow() {
  if (DataGrid->RowCount() > 2) {
    DataGrid->SetRowCount(DataGrid->RowCount() - 1);
  } else if (DataGrid->RowInUse == 1) {
    // The title row stays fixed: the last record row turns back into the empty placeholder.
    for (int col = 0; col < DataGrid->ColCount(); ++col) DataGrid->SetCell(col, 1, "");
    DataGrid->RowInUse = 0;
  }
}
