#include "ui/drawing/wind_rose.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kNeedleBarbRadius = 90.0;
constexpr double kNeedleTipRadius = 80.0;
constexpr float kPetalSpeedCap = 30.0f;  // m/s; a petal this long is the size of the needle
constexpr double kPetalBarbPerSpeed = 3.0;
constexpr double kPetalTipPerSpeed = 2.6666666666666665;

QPoint TruncatedPolar(double angle, double radius) {
  return QPoint(static_cast<int>(std::cos(angle) * radius),
                static_cast<int>(std::sin(angle) * radius));
}

void DrawNeedle(QPainter& painter, const std::array<QPoint, 4>& corners, int penWidth,
                const QColor& brush) {
  QPen pen(Qt::black);
  pen.setWidth(penWidth);
  painter.setPen(pen);
  painter.setBrush(brush);
  painter.drawPolygon(QPolygon(QList<QPoint>(corners.begin(), corners.end())));
}

}  // namespace

const std::array<NeedleShape, 4> NeedleShapes = {{
    {0.05 * kPi, 0.0, -0.05 * kPi},
    {0.175 * kPi, 0.125 * kPi, 0.075 * kPi},
    {0.3 * kPi, 0.25 * kPi, 0.2 * kPi},
    {0.425 * kPi, 0.375 * kPi, 0.325 * kPi},
}};

std::optional<SectorNeedle> SectorShape(int sector) {
  // A table reads in rows.
  // clang-format off
  static constexpr std::array<SectorNeedle, 16> kSectorNeedles = {{
      {0, 1}, {3, 0}, {2, 0}, {1, 0},  // N, NNE, NE, ENE
      {0, 0}, {3, 3}, {2, 3}, {1, 3},  // E, ESE, SE, SSE
      {0, 3}, {3, 2}, {2, 2}, {1, 2},  // S, SSW, SW, WSW
      {0, 2}, {3, 1}, {2, 1}, {1, 1},  // W, WNW, NW, NNW
  }};
  // clang-format on
  if (sector < 0 || sector > 15) return std::nullopt;
  return kSectorNeedles[static_cast<std::size_t>(sector)];
}

std::optional<std::array<QPoint, 4>> NeedlePolygon(int sector, double barbRadius, double tipRadius,
                                                   int pictureWidth) {
  const std::optional<SectorNeedle> needle = SectorShape(sector);
  if (!needle) return std::nullopt;
  const NeedleShape& shape = NeedleShapes[static_cast<std::size_t>(needle->Shape)];
  const QPoint tip = TruncatedPolar(shape.Tip, tipRadius);
  // The barbs are reflected through the tip, which puts them just behind the centre and
  // leaves the notch of the arrow at the centre.
  std::array<QPoint, 4> corners = {tip - TruncatedPolar(shape.Barb1, barbRadius), QPoint(0, 0),
                                   tip - TruncatedPolar(shape.Barb2, barbRadius), tip};
  const int centre = pictureWidth / 2;
  for (QPoint& corner : corners) {
    for (int turn = 0; turn < needle->QuarterTurns; ++turn) {
      corner = QPoint(-corner.y(), corner.x());
    }
    corner = QPoint(corner.x() + centre, centre - corner.y());
  }
  return corners;
}

void WindRose::DrawWindRose(QImage& picture, int sector, int compassChartType,
                            std::span<const float, 17> sectorAvgSpeed,
                            std::span<const float, 17> sectorGustSpeed) {
  if (roseBackground_.isNull()) roseBackground_ = picture.copy();

  QPainter painter(&picture);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(0, 0, roseBackground_);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

  const std::optional<std::array<QPoint, 4>> needle =
      NeedlePolygon(sector, kNeedleBarbRadius, kNeedleTipRadius, picture.width());
  if (!needle) return;
  DrawNeedle(painter, *needle, 1, QColor(0, 128, 0));

  if (compassChartType != kCompassChartAverage && compassChartType != kCompassChartGust) return;
  const bool average = compassChartType == kCompassChartAverage;
  const std::span<const float, 17> speeds = average ? sectorAvgSpeed : sectorGustSpeed;
  const QColor brush = average ? QColor(0, 0, 255) : QColor(255, 0, 0);
  for (int i = 0; i < 16; ++i) {
    const float speed = std::min(speeds[static_cast<std::size_t>(i)], kPetalSpeedCap);
    if (!(speed > 0.0f)) continue;
    const float barbRadius = static_cast<float>(speed * kPetalBarbPerSpeed);
    const float tipRadius = static_cast<float>(speed * kPetalTipPerSpeed);
    // Drawn after the needle: a petal pointing the same way covers it.
    DrawNeedle(painter, *NeedlePolygon(i, barbRadius, tipRadius, picture.width()), 0, brush);
  }
}
