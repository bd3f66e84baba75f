#include "ui/drawing/trend_charts.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kGrey = qRgb(128, 128, 128);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGreen = qRgb(0, 128, 0);
constexpr QRgb kBlue = qRgb(0, 0, 255);

constexpr int kBottomY = 110;  // where a value of f(v) = 0 is plotted
constexpr int kFirstX = 1;
constexpr int kPointSpacing = 2;

// trunc() into an int without undefined behaviour for values far outside any bitmap.
int TruncToInt(double value) {
  if (std::isnan(value)) return 0;
  return static_cast<int>(std::clamp(std::trunc(value), -1.0e8, 1.0e8));
}

// The nearest integer to num / den (den > 0), halves rounded down.
std::int64_t RoundHalfDown(std::int64_t num, std::int64_t den) {
  const std::int64_t a = 2 * num - den;
  const std::int64_t b = 2 * den;
  return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

// A line as GDI's LineTo draws it: one pixel per step along the longer axis, the pixel nearest
// to the exact line with ties going to the upper or left pixel, the first point drawn and the
// last one left out, whichever way the line runs. QPainter decides the left-out end by its own
// ordering, which is not the same.
void DrawLine(QImage& image, QPoint from, QPoint to, QRgb colour) {
  const std::int64_t dx = to.x() - from.x();
  const std::int64_t dy = to.y() - from.y();
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const std::int64_t steps = xMajor ? std::llabs(dx) : std::llabs(dy);
  const std::int64_t majorStart = xMajor ? from.x() : from.y();
  const std::int64_t minorStart = xMajor ? from.y() : from.x();
  const std::int64_t majorDelta = xMajor ? dx : dy;
  const std::int64_t minorDelta = xMajor ? dy : dx;
  const std::int64_t majorDirection = majorDelta > 0 ? 1 : -1;
  const std::int64_t majorSize = xMajor ? image.width() : image.height();

  // Only the steps whose major coordinate lies on the bitmap.
  std::int64_t first = 0;
  std::int64_t last = steps - 1;
  if (majorDirection > 0) {
    first = std::max(first, -majorStart);
    last = std::min(last, majorSize - 1 - majorStart);
  } else {
    first = std::max(first, majorStart - (majorSize - 1));
    last = std::min(last, majorStart);
  }
  for (std::int64_t k = first; k <= last; ++k) {
    const std::int64_t major = majorStart + majorDirection * k;
    const std::int64_t minor = minorStart + RoundHalfDown(k * minorDelta, steps);
    const std::int64_t x = xMajor ? major : minor;
    const std::int64_t y = xMajor ? minor : major;
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) continue;
    reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)))[x] = colour;
  }
}

// One line series of a chart: remembers its previous point and joins the next one to it.
class Series {
 public:
  explicit Series(QRgb colour) : colour_(colour) {}
  void Add(QImage& image, QPoint point) {
    if (point.x() != kFirstX) DrawLine(image, previous_, point, colour_);
    previous_ = point;
  }

 private:
  QRgb colour_;
  QPoint previous_;
};

QPoint ChartPoint(int x, double scaledValue) {
  return QPoint(x, kBottomY - TruncToInt(scaledValue));
}

}  // namespace

TrendCharts::TrendCharts()
    : windBitmap_(kChartWidth, kChartHeight, QImage::Format_RGB32),
      windDirBitmap_(kChartWidth, kChartHeight, QImage::Format_RGB32),
      windChillBitmap_(kChartWidth, kChartHeight, QImage::Format_RGB32),
      temperatureBitmap_(kChartWidth, kChartHeight, QImage::Format_RGB32) {
  ClearTrendCharts();
}

void TrendCharts::ClearChartBitmap(QImage& bitmap) {
  QPainter painter(&bitmap);
  painter.fillRect(QRect(0, 0, kChartWidth, kChartHeight), QColor(kWhite));
  painter.setPen(QColor(kBlack));
  painter.setBrush(QColor(kWhite));
  painter.drawRect(0, 0, kChartWidth - 1, kChartHeight - 1);
}

void TrendCharts::ClearTrendCharts() {
  for (QImage* bitmap : {&windBitmap_, &windDirBitmap_, &windChillBitmap_, &temperatureBitmap_}) {
    ClearChartBitmap(*bitmap);
  }
  DrawLine(windChillBitmap_, QPoint(1, 55), QPoint(kChartWidth - 1, 55), kGrey);
  DrawLine(temperatureBitmap_, QPoint(1, 60), QPoint(kChartWidth - 1, 60), kGrey);
}

bool TrendCharts::UpdateTrendCharts(const MeasurementRecord& newest, bool draw) {
  if (chartPoints_.empty() || chartPointClosed_) {
    if (chartPoints_.size() >= kMaxChartPoints) chartPoints_.pop_front();
    chartPoints_.emplace_back();
    recordsInOpenPoint_ = 0;
  }
  MeasurementRecord& point = chartPoints_.back();
  point.AvgSpeed += newest.AvgSpeed;
  point.GustSpeed += newest.GustSpeed;
  point.BeaufortAvg += newest.BeaufortAvg;
  point.SectorAccumulator += newest.Sector;
  point.WindChillAvg += newest.WindChillAvg;
  point.WindChillGust += newest.WindChillGust;
  point.Temperature += newest.Temperature;
  chartPointClosed_ = false;

  if (++recordsInOpenPoint_ < RecordsPerChartPoint) return false;

  chartPointClosed_ = true;
  constexpr float divisor = static_cast<float>(RecordsPerChartPoint);
  point.AvgSpeed /= divisor;
  point.GustSpeed /= divisor;
  point.BeaufortAvg /= divisor;
  point.WindChillAvg /= divisor;
  point.WindChillGust /= divisor;
  point.Temperature /= divisor;
  point.SectorAccumulator /= RecordsPerChartPoint;  // the mean sector, truncated

  if (!draw) return false;
  ClearTrendCharts();
  DrawChartPoints();
  return true;
}

void TrendCharts::Clear() {
  chartPoints_.clear();
  chartPointClosed_ = false;
  recordsInOpenPoint_ = 0;
}

// The scaled values are exact products and sums of the stored single-precision means, which
// double arithmetic gives without rounding.
void TrendCharts::DrawChartPoints() {
  Series avgSpeed(kRed);
  Series gust(kGreen);
  Series beaufort(kBlue);
  Series chillAvg(kRed);
  Series chillGust(kBlue);
  Series temperature(kBlack);

  QPainter dots(&windDirBitmap_);
  dots.setPen(QColor(kBlack));
  dots.setBrush(QColor(kRed));

  int x = kFirstX;
  for (const MeasurementRecord& point : chartPoints_) {
    avgSpeed.Add(windBitmap_, ChartPoint(x, 2.0 * point.AvgSpeed));
    gust.Add(windBitmap_, ChartPoint(x, 2.0 * point.GustSpeed));
    beaufort.Add(windBitmap_, ChartPoint(x, 9.0 * point.BeaufortAvg));

    if (x > kFirstX) {
      const int y = kBottomY - 7 * point.SectorAccumulator;
      // The dot covers x - 2 .. x + 1 and y - 2 .. y + 1, the right and bottom edges of its
      // bounding box being left out.
      dots.drawEllipse(QRect(x - 2, y - 2, 3, 3));
    }

    chillAvg.Add(windChillBitmap_, ChartPoint(x, double{point.WindChillAvg} + 55.0));
    chillGust.Add(windChillBitmap_, ChartPoint(x, double{point.WindChillGust} + 55.0));
    temperature.Add(temperatureBitmap_, ChartPoint(x, double{point.Temperature} + 50.0));

    x += kPointSpacing;
  }
}
