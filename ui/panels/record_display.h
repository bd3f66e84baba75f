#pragma once

#include <cstdint>

#include "core/record_consumer.h"

class DataGridPanel;
class TemperaturePanel;
class TrendChartPanel;
class WindPanel;

// The main window's display as a consumer of records: every record goes to the grid, the
// direction table, the labels, the trend charts, the direction name, the thermometer bar and
// the wind rose. Within one report's rows the grid, the sector speeds and the chart points
// follow every row, but the labels and pictures are brought up to date once, at the report's
// end; the result is what showing each row in turn would give.
class RecordDisplay : public RecordConsumer {
 public:
  RecordDisplay(DataGridPanel& grid, WindPanel& wind, TemperaturePanel& temperature,
                TrendChartPanel& charts)
      : grid_(grid), wind_(wind), temperature_(temperature), charts_(charts) {}

  void BeginReport(std::int32_t rowCount) override;
  void TakeRecord(const MeasurementRecord& record, const RecordContext& context) override;
  void EndReport() override;

  // The store dropped its oldest record: the grid's bottom row goes (within a report, when the
  // next row comes).
  void DropOldestGridRow();
  // The display update for one record.
  void ShowRecord(const MeasurementRecord& record, const DisplayStatistics& statistics);

 private:
  // The labels, direction name and pictures for the newest record shown.
  void ShowNewestRecord();

  DataGridPanel& grid_;
  WindPanel& wind_;
  TemperaturePanel& temperature_;
  TrendChartPanel& charts_;

  // Reports whose rows are being shown (nested when a message box runs its own event loop),
  // and the rows they announced that have not been shown yet.
  int openReports_ = 0;
  std::int32_t rowsStillComing_ = 0;
  // ShowNewestRecord is owed for newestShown_ and newestStatistics_.
  bool newestRecordOwed_ = false;
  MeasurementRecord newestShown_;
  DisplayStatistics newestStatistics_;
};
