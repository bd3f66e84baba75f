#include "ui/drawing/compass_card.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <cmath>
#include <numbers>

#include "core/direction_sector.h"

namespace {

constexpr int kCardSize = 200;
// Pixel (100, 100) is the needles' centre; antialiased drawing addresses pixel centres.
const QPointF kCentre(100.5, 100.5);

constexpr double kCardRadius = 99.0;
// The direction needle's tip touches the scale ring.
constexpr double kScaleRadius = 80.0;
constexpr double kNameGap = 2.0;
// Petal tips lie 2.67 pixels out per m/s: dashed rings at 10 and 20 m/s, the scale at 30.
constexpr double kSpeedRingStep = kScaleRadius / 3.0;

const QColor kCardFill(250, 250, 246);
const QColor kRimColour(200, 200, 196);
const QColor kScaleColour(110, 110, 110);
const QColor kRingColour(210, 210, 210);
const QColor kNameColour(40, 40, 40);
const QColor kCardinalColour(170, 20, 20);

// The point at radius on the compass bearing (degrees clockwise from north).
QPointF OnBearing(double bearing, double radius) {
  const double angle = bearing * std::numbers::pi / 180.0;
  return kCentre + QPointF(std::sin(angle) * radius, -std::cos(angle) * radius);
}

void DrawRings(QPainter& painter) {
  painter.setPen(QPen(kRimColour, 1.0));
  painter.setBrush(kCardFill);
  painter.drawEllipse(kCentre, kCardRadius, kCardRadius);

  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kRingColour, 1.0, Qt::DashLine));
  for (int ring = 1; ring <= 2; ++ring) {
    const double radius = ring * kSpeedRingStep;
    painter.drawEllipse(kCentre, radius, radius);
  }
  // The cardinal and diagonal lines, faint, inside the scale.
  painter.setPen(QPen(kRingColour, 1.0));
  for (int i = 0; i < 8; ++i) {
    const double bearing = i * 45.0;
    painter.drawLine(OnBearing(bearing, 6.0), OnBearing(bearing, kScaleRadius - 10.0));
  }
  painter.setPen(QPen(kScaleColour, 1.0));
  painter.drawEllipse(kCentre, kScaleRadius, kScaleRadius);
}

void DrawScale(QPainter& painter) {
  // Inward ticks: every 5 degrees, longer every 10, longest at the 16 compass points.
  painter.setPen(QPen(kScaleColour, 1.0));
  for (int degrees = 0; degrees < 360; degrees += 5) {
    const double length = degrees % 10 == 0 ? 4.0 : 2.5;
    painter.drawLine(OnBearing(degrees, kScaleRadius), OnBearing(degrees, kScaleRadius - length));
  }
  painter.setPen(QPen(kNameColour, 1.5));
  for (int sector = 0; sector < kSectorCount; ++sector) {
    const double length = sector % 4 == 0 ? 9.0 : sector % 2 == 0 ? 7.0 : 5.5;
    painter.drawLine(OnBearing(sector * 22.5, kScaleRadius),
                     OnBearing(sector * 22.5, kScaleRadius - length));
  }
}

QFont NameFont(int pixelSize, bool bold) {
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

// Each name sits just outside the scale ring: its ink box is pushed out along the bearing
// until its inner edge clears the ring, so wide names at east and west fit as well as the
// narrow ones at north and south.
void DrawNames(QPainter& painter) {
  const QFont cardinal = NameFont(14, true);
  const QFont intercardinal = NameFont(10, true);
  const QFont minor = NameFont(9, false);
  for (int sector = 0; sector < kSectorCount; ++sector) {
    const bool isCardinal = sector % 4 == 0;
    const QFont& font = isCardinal ? cardinal : sector % 2 == 0 ? intercardinal : minor;
    const QString name = QString::fromLatin1(SectorName(sector));
    // Measured in the painter's font, resolved for the card: a font resolved for the screen
    // would load its faces once more.
    painter.setFont(font);
    const QRectF ink = QFontMetricsF(painter.font()).tightBoundingRect(name);
    const double bearing = sector * 22.5 * std::numbers::pi / 180.0;
    const double halfExtent = std::abs(std::sin(bearing)) * ink.width() / 2.0 +
                              std::abs(std::cos(bearing)) * ink.height() / 2.0;
    const QPointF centre = OnBearing(sector * 22.5, kScaleRadius + kNameGap + halfExtent);
    painter.setPen(isCardinal ? kCardinalColour : kNameColour);
    painter.drawText(centre - ink.center(), name);
  }
}

}  // namespace

QImage MakeCompassCard() {
  QImage card(kCardSize, kCardSize, QImage::Format_RGB32);
  card.fill(Qt::white);
  QPainter painter(&card);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  DrawRings(painter);
  DrawScale(painter);
  DrawNames(painter);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kScaleColour);
  painter.drawEllipse(kCentre, 2.0, 2.0);
  return card;
}

const QImage& CompassCard() {
  static const QImage card = MakeCompassCard();
  return card;
}
