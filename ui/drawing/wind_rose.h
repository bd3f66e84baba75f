#pragma once

#include <QImage>
#include <QPoint>
#include <array>
#include <optional>
#include <span>

// The wind rose: a needle from the centre of the compass card towards the newest record's
// direction and, on request, one smaller needle (a petal) per sector whose length follows the
// latest average speed or gust measured in that sector.

// A first-quadrant needle: three angles in radians, counter-clockwise from east.
struct NeedleShape {
  double Barb1;
  double Tip;
  double Barb2;
};

// Tips at 0, 22.5, 45 and 67.5 degrees, each barb 9 degrees to the side.
extern const std::array<NeedleShape, 4> NeedleShapes;

struct SectorNeedle {
  int Shape;         // index into NeedleShapes
  int QuarterTurns;  // counter-clockwise
};

// The base shape and quarter turns of a sector's needle; nullopt outside 0..15. Every needle
// comes from a first-quadrant shape turned by whole quarter turns, which keeps the 16 needles
// pixel-symmetric.
std::optional<SectorNeedle> SectorShape(int sector);

// The four corners of a sector's needle on a square picture of width pictureWidth, in drawing
// order: the first barb, the centre, the second barb, the tip. The tip lies tipRadius from the
// centre, the barbs are reflected through it from barbRadius. nullopt outside 0..15.
std::optional<std::array<QPoint, 4>> NeedlePolygon(int sector, double barbRadius, double tipRadius,
                                                   int pictureWidth);

inline constexpr int kCompassChartNone = 1;
inline constexpr int kCompassChartAverage = 2;
inline constexpr int kCompassChartGust = 3;

class WindRose {
 public:
  // Draws the rose for sector on picture, which holds the compass card the first time this is
  // called; the card is kept then and every later drawing starts from it. Sector 16 (no
  // direction) leaves the bare card. compassChartType 2 adds blue petals from sectorAvgSpeed,
  // 3 red petals from sectorGustSpeed (m/s, indexed by sector, capped at 30 m/s).
  void DrawWindRose(QImage& picture, int sector, int compassChartType,
                    std::span<const float, 17> sectorAvgSpeed,
                    std::span<const float, 17> sectorGustSpeed);

  // The compass card as first drawn on; null before the first drawing.
  const QImage& RoseBackground() const { return roseBackground_; }

 private:
  QImage roseBackground_;
};
