#include "ui/drawing/temperature_bar.h"

#include <QFont>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "ui/desktop/program_font.h"

namespace {

constexpr int kScaleMarks = 12;

// Fills and frames (left, top)-(right, bottom) with the right and bottom edges left out, so
// the frame lies at x = left and right - 1, y = top and bottom - 1.
void FramedRectangle(QPainter& painter, int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  painter.fillRect(QRect(left, top, right - left, bottom - top), Qt::white);
  painter.setPen(Qt::black);
  painter.setBrush(Qt::white);
  painter.drawRect(left, top, right - left - 1, bottom - top - 1);
}

// One colour component of a vertical gradient row: the two end colours with 16-bit components,
// weighted by the row's distance from each end, in integer arithmetic. The rectangle stops one
// row short of the lower end, so its last row is a little short of pure blue.
int GradientComponent(int top, int bottom, int position, int length) {
  const int top16 = top << 8;
  const int bottom16 = bottom << 8;
  return (top16 * (length - position) + bottom16 * position) / length / 256;
}

// A vertical gradient from red at row y0 to blue at row y1 over columns x0 .. x1 - 1 and
// rows y0 .. y1 - 1.
void VerticalGradient(QImage& image, int x0, int y0, int x1, int y1) {
  const int length = y1 - y0;
  for (int y = y0; y < y1; ++y) {
    const int position = y - y0;
    const QRgb colour = qRgb(GradientComponent(255, 0, position, length), 0,
                             GradientComponent(0, 255, position, length));
    QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    std::fill(row + x0, row + x1, colour);
  }
}

}  // namespace

TemperatureBar::TemperatureBar() : bitmap_(kBarWidth, kBarHeight, QImage::Format_RGB32) {
  bitmap_.fill(Qt::white);
}

int TemperatureBar::ColumnTop(float temperature) {
  const float below60 = 60.0f - temperature;
  const float scaled = static_cast<float>(below60 * 1.3);
  const float level = 13.0f + scaled;
  const float top = level + 1.0f;
  if (std::isnan(top)) return kBarHeight + 1;
  return static_cast<int>(std::clamp(std::trunc(top), -1.0e6f, 1.0e6f));
}

bool TemperatureBar::DrawTemperatureBar(float temperature) {
  if (lastBarTemperature_ != 0.0f && lastBarTemperature_ == temperature) return false;
  lastBarTemperature_ = temperature;

  {
    QPainter painter(&bitmap_);
    FramedRectangle(painter, 0, 0, kBarWidth, kBarHeight);
  }
  VerticalGradient(bitmap_, 1, 1, kBarWidth - 1, kBarHeight - 1);

  QPainter painter(&bitmap_);
  FramedRectangle(painter, 0, 0, kBarWidth, ColumnTop(temperature));

  // The program's font. Its height counts as negative (a character height), which lifts each
  // text half a line above its mark.
  const QFont font = ProgramFont();
  painter.setFont(font);
  const int halfFontHeight = -font.pixelSize() / 2;
  for (int i = 0; i < kScaleMarks; ++i) {
    const int value = 60 - 10 * i;
    const int y = static_cast<int>((i + 1) * 13.0);
    const QString text = QString::number(value).rightJustified(3, QLatin1Char(' '));
    painter.setPen(Qt::black);
    painter.drawText(QRect(3, y + halfFontHeight - 1, kBarWidth, kBarHeight),
                     Qt::AlignLeft | Qt::AlignTop, text);

    // Inverting the pixels keeps the mark visible on white, red and blue alike. The end pixel
    // at x = 31 is left out, so the frame stays black.
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    QPen pen(Qt::black);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(22, y, 31, y);
    painter.restore();
  }
  return true;
}
