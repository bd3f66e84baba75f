#pragma once

#include "core/system_time.h"

class QWidget;
class TDataStringGrid;

// The main window's data grid: a title row, then one row per record, newest first. It owns the
// grid control.
class DataGridPanel {
 public:
  // Creates the grid on the window's client area, at its designed place.
  explicit DataGridPanel(QWidget* client);
  ~DataGridPanel();

  DataGridPanel(const DataGridPanel&) = delete;
  DataGridPanel& operator=(const DataGridPanel&) = delete;

  // A new row under the title; sector 16 empties the grid instead.
  void AddGridRow(const SystemTime& time, int sector, float avg, float gust, float temperature,
                  float wcAvg, float wcGust, float bfAvg, float bfGust);
  // The store dropped its oldest record. Within a report the drop waits for the next new top
  // row, which then takes the bottom row's place, so that a full grid changes its contents, not
  // its row count.
  void DropOldestGridRow(bool withinReport = false);
  // The end of a report: drops still waiting are made, and the view lays out the rows added.
  void FinishReport();

  TDataStringGrid& Grid() { return *DataGrid; }

 private:
  void DropBottomGridRow();
  void ApplyGridRowDrops();

  TDataStringGrid* DataGrid = nullptr;
  // Bottom rows dropped within a report and not yet taken by a new top row.
  int gridRowsToDrop_ = 0;
};
