#include "ui/panels/record_display.h"

#include <algorithm>

#include "ui/drawing/trend_charts.h"
#include "ui/panels/data_grid_panel.h"
#include "ui/panels/temperature_panel.h"
#include "ui/panels/trend_chart_panel.h"
#include "ui/panels/wind_panel.h"

void RecordDisplay::BeginReport(std::int32_t rowCount) {
  ++openReports_;
  rowsStillComing_ += std::max<std::int32_t>(rowCount, 0);
}

void RecordDisplay::TakeRecord(const MeasurementRecord& record, const RecordContext& context) {
  for (std::int32_t i = 0; i < context.DroppedOldest; ++i) DropOldestGridRow();
  ShowRecord(record, context.Statistics);
}

void RecordDisplay::EndReport() {
  if (openReports_ > 0) --openReports_;
  if (openReports_ > 0) return;
  rowsStillComing_ = 0;
  grid_.FinishReport();
  if (newestRecordOwed_) ShowNewestRecord();
}

void RecordDisplay::DropOldestGridRow() { grid_.DropOldestGridRow(openReports_ > 0); }

void RecordDisplay::ShowRecord(const MeasurementRecord& record,
                               const DisplayStatistics& statistics) {
  if (rowsStillComing_ > 0) --rowsStillComing_;
  grid_.AddGridRow(record.Time, record.Sector, record.AvgSpeed, record.GustSpeed,
                   record.Temperature, record.WindChillAvg, record.WindChillGust,
                   record.BeaufortAvg, record.BeaufortGust);
  // The direction table's texts are written once per report, for the sectors it touched.
  wind_.TakeSectorSpeeds(record.Sector, record.AvgSpeed, record.GustSpeed);
  // A chart point completes every third row: with three more rows to come, another one will
  // complete in this report and hide this drawing, so only the last one is drawn.
  charts_.UpdateTrendCharts(record, rowsStillComing_ < TrendCharts::RecordsPerChartPoint);
  newestShown_ = record;
  newestStatistics_ = statistics;
  newestRecordOwed_ = true;
  if (openReports_ == 0) ShowNewestRecord();
}

void RecordDisplay::ShowNewestRecord() {
  newestRecordOwed_ = false;
  const MeasurementRecord& record = newestShown_;
  const DisplayStatistics& statistics = newestStatistics_;
  wind_.ShowNewSectorSpeeds();
  wind_.DrawWindRose(record.Sector);
  wind_.ShowWindLabels(record.AvgSpeed, statistics.AvgSpeedMin, statistics.AvgSpeedMax,
                       statistics.AvgSpeedMean, record.GustSpeed);
  charts_.ShowRedrawnTrendCharts();
  wind_.ShowDirectionName(record.Sector);
  temperature_.DrawTemperatureBar(record.Temperature);
  temperature_.ShowTemperatureLabels(record.Temperature, statistics.TemperatureMin,
                                     statistics.TemperatureMax, statistics.TemperatureMean,
                                     record.WindChillAvg);
}
