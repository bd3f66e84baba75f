#pragma once

#include <deque>

#include "core/measurement_record.h"
#include "ui/drawing/trend_charts.h"

class QLabel;
class QWidget;

// The main window's four trend charts (wind speed and Beaufort, direction, wind chill,
// temperature) with their captions and axis labels, and the chart points they plot.
class TrendChartPanel {
 public:
  // Creates the charts and their labels on the window's client area, at their designed places.
  explicit TrendChartPanel(QWidget* client);

  TrendChartPanel(const TrendChartPanel&) = delete;
  TrendChartPanel& operator=(const TrendChartPanel&) = delete;

  // Adds the newest record to the chart points; a completed point is drawn only with draw set
  // and shown by ShowRedrawnTrendCharts.
  void UpdateTrendCharts(const MeasurementRecord& newest, bool draw = true);
  void ShowRedrawnTrendCharts();
  // Blanks and shows the four charts; the chart points stay.
  void ClearTrendCharts();
  // Empties the chart points; the next record opens a new one.
  void ClearChartPoints() { Charts.Clear(); }

  const std::deque<MeasurementRecord>& ChartPoints() const { return Charts.ChartPoints(); }
  bool ChartPointClosed() const { return Charts.ChartPointClosed(); }

 private:
  void ShowTrendCharts();

  QLabel* Image_Wind = nullptr;
  QLabel* Image_WindDir = nullptr;
  QLabel* Image_WindChill = nullptr;
  QLabel* Image_Temperature = nullptr;

  TrendCharts Charts;
  // A chart point completed since the charts were last shown.
  bool chartsRedrawn_ = false;
};
