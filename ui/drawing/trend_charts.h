#pragma once

#include <QImage>
#include <cstddef>
#include <deque>

#include "core/measurement_record.h"

// The four trend charts of the main window: wind speeds and Beaufort number, direction, the two
// wind chills and the temperature. Every three records make one chart point (their mean); the
// last 120 points are plotted two pixels apart, the newest on the right. The charts are drawn
// on off-screen bitmaps that the main window shows.
class TrendCharts {
 public:
  static constexpr int kChartWidth = 242;
  static constexpr int kChartHeight = 112;
  static constexpr std::size_t kMaxChartPoints = 120;
  static constexpr int RecordsPerChartPoint = 3;

  TrendCharts();

  // Paints one chart bitmap white with a one-pixel black frame on its outer edge.
  static void ClearChartBitmap(QImage& bitmap);

  // Blanks the four charts, leaving the grey zero lines of the wind-chill and temperature
  // charts. ChartPoints stays as it is.
  void ClearTrendCharts();

  // Adds the newest record to the open chart point. When that completes the point and draw is
  // set, all four charts are redrawn and the result is true; otherwise nothing is drawn (a
  // caller that knows a later point will be drawn before anyone looks passes false).
  bool UpdateTrendCharts(const MeasurementRecord& newest, bool draw = true);

  // Forgets every chart point (a new capture starts). The bitmaps are not touched.
  void Clear();

  const std::deque<MeasurementRecord>& ChartPoints() const { return chartPoints_; }
  bool ChartPointClosed() const { return chartPointClosed_; }

  const QImage& WindBitmap() const { return windBitmap_; }
  const QImage& WindDirBitmap() const { return windDirBitmap_; }
  const QImage& WindChillBitmap() const { return windChillBitmap_; }
  const QImage& TemperatureBitmap() const { return temperatureBitmap_; }

 private:
  void DrawChartPoints();

  QImage windBitmap_;
  QImage windDirBitmap_;
  QImage windChillBitmap_;
  QImage temperatureBitmap_;
  // Oldest first; each point is a record used as an accumulator, then as the mean.
  std::deque<MeasurementRecord> chartPoints_;
  bool chartPointClosed_ = false;
  int recordsInOpenPoint_ = 0;
};
