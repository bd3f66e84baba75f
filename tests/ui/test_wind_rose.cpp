#include <gtest/gtest.h>

#include <QImage>
#include <array>

#include "ui/desktop/program_font.h"
#include "ui/drawing/compass_card.h"
#include "ui/drawing/wind_rose.h"

namespace {

using Polygon = std::array<QPoint, 4>;
using SectorValues = std::array<float, 17>;

constexpr QRgb kGreen = 0xFF008000;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kRed = 0xFFFF0000;

// The needles of the 200 x 200 card, in drawing order: barb, centre, barb, tip.
const std::array<Polygon, 16> kNeedles = {{
    {{{114, 108}, {100, 100}, {86, 108}, {100, 20}}},
    {{{109, 114}, {100, 100}, {83, 103}, {130, 27}}},
    {{{104, 116}, {100, 100}, {84, 96}, {156, 44}}},
    {{{97, 117}, {100, 100}, {86, 91}, {173, 70}}},
    {{{92, 114}, {100, 100}, {92, 86}, {180, 100}}},
    {{{86, 109}, {100, 100}, {97, 83}, {173, 130}}},
    {{{84, 104}, {100, 100}, {104, 84}, {156, 156}}},
    {{{83, 97}, {100, 100}, {109, 86}, {130, 173}}},
    {{{86, 92}, {100, 100}, {114, 92}, {100, 180}}},
    {{{91, 86}, {100, 100}, {117, 97}, {70, 173}}},
    {{{96, 84}, {100, 100}, {116, 104}, {44, 156}}},
    {{{103, 83}, {100, 100}, {114, 109}, {27, 130}}},
    {{{108, 86}, {100, 100}, {108, 114}, {20, 100}}},
    {{{114, 91}, {100, 100}, {103, 117}, {27, 70}}},
    {{{116, 96}, {100, 100}, {96, 116}, {44, 44}}},
    {{{117, 103}, {100, 100}, {91, 114}, {70, 27}}},
}};

int Count(const QImage& image, QRgb colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == colour ? 1 : 0;
  }
  return count;
}

QImage WhiteCard() {
  QImage card(200, 200, QImage::Format_RGB32);
  card.fill(Qt::white);
  return card;
}

SectorValues Filled(float value) {
  SectorValues values{};
  values.fill(value);
  return values;
}

const SectorValues kNone{};

// Draws the rose on a plain white card and returns the picture.
QImage Rose(int sector, int chartType, const SectorValues& average, const SectorValues& gusts) {
  QImage picture = WhiteCard();
  WindRose rose;
  rose.DrawWindRose(picture, sector, chartType, average, gusts);
  return picture;
}

}  // namespace

TEST(WindRoseShapeTest, NeedleVerticesOfAllSixteenSectors) {
  EXPECT_FALSE(NeedlePolygon(16, 90.0, 80.0, 200));
  EXPECT_FALSE(NeedlePolygon(-1, 90.0, 80.0, 200));
  for (int sector = 0; sector < 16; ++sector) {
    const std::optional<Polygon> polygon = NeedlePolygon(sector, 90.0, 80.0, 200);
    ASSERT_TRUE(polygon);
    EXPECT_EQ(*polygon, kNeedles[static_cast<std::size_t>(sector)]) << "sector " << sector;
  }
}

TEST(WindRoseShapeTest, PetalVertices) {
  auto petal = [](int sector, float speed) {
    return *NeedlePolygon(sector, static_cast<float>(speed * 3.0),
                          static_cast<float>(speed * 2.6666666666666665), 200);
  };
  EXPECT_EQ(petal(0, 15.0f), (Polygon{{{107, 104}, {100, 100}, {93, 104}, {100, 60}}}));
  // A speed of a few m/s gives a needle of a pixel or two.
  EXPECT_EQ(petal(2, 1.0f), (Polygon{{{100, 101}, {100, 100}, {99, 100}, {101, 99}}}));
  // At the 30 m/s cap a petal has exactly the needle's size.
  for (int sector = 0; sector < 16; ++sector) {
    EXPECT_EQ(petal(sector, 30.0f), kNeedles[static_cast<std::size_t>(sector)]) << sector;
  }
}

TEST(WindRoseDrawTest, NoDirectionLeavesTheBareCard) {
  const QImage card = MakeCompassCard();
  QImage picture = card;
  WindRose rose;
  rose.DrawWindRose(picture, 16, kCompassChartAverage, Filled(12.0f), Filled(20.0f));
  EXPECT_EQ(picture, card);
  EXPECT_EQ(rose.RoseBackground(), card);

  rose.DrawWindRose(picture, 3, kCompassChartGust, Filled(12.0f), Filled(20.0f));
  EXPECT_NE(picture, card);
  EXPECT_GT(Count(picture, kGreen), 0);
  EXPECT_GT(Count(picture, kRed), 0);
  // The card is never drawn on for good: the next drawing starts from it again.
  rose.DrawWindRose(picture, 16, kCompassChartGust, Filled(12.0f), Filled(20.0f));
  EXPECT_EQ(picture, card);
}

TEST(WindRoseDrawTest, ChartTypeChoosesThePetals) {
  const SectorValues average = Filled(10.0f);
  const SectorValues gusts = Filled(14.0f);
  const QImage needleOnly = Rose(6, kCompassChartNone, average, gusts);
  EXPECT_GT(Count(needleOnly, kGreen), 100);
  EXPECT_EQ(Count(needleOnly, kBlue) + Count(needleOnly, kRed), 0);

  const QImage averagePetals = Rose(6, kCompassChartAverage, average, gusts);
  EXPECT_GT(Count(averagePetals, kBlue), 16 * 20);
  EXPECT_EQ(Count(averagePetals, kRed), 0);
  const QImage gustPetals = Rose(6, kCompassChartGust, average, gusts);
  EXPECT_GT(Count(gustPetals, kRed), Count(averagePetals, kBlue));  // 14 m/s against 10
  EXPECT_EQ(Count(gustPetals, kBlue), 0);

  // No petal for zero or less; above 30 m/s a petal stays at the size of 30.
  SectorValues calm{};
  calm[1] = -4.0f;
  EXPECT_EQ(Count(Rose(8, kCompassChartAverage, calm, kNone), kBlue), 0);
  EXPECT_EQ(Rose(8, kCompassChartGust, kNone, Filled(45.0f)),
            Rose(8, kCompassChartGust, kNone, Filled(30.0f)));
}

TEST(WindRoseDrawTest, FullPetalCoversTheNeedle) {
  // NNW, the last sector, carries a petal too.
  SectorValues speeds{};
  speeds[15] = 30.0f;
  const QImage picture = Rose(15, kCompassChartAverage, speeds, kNone);
  EXPECT_EQ(Count(picture, kGreen), 0);
  EXPECT_GT(Count(picture, kBlue), 100);
  EXPECT_EQ(picture.pixel(85, 64), kBlue);  // halfway to the tip at (70, 27)
}

TEST(CompassCardTest, CardIsCentredOnTheNeedlesCentre) {
  LoadProgramFonts();
  const QImage card = MakeCompassCard();
  ASSERT_EQ(card.size(), QSize(200, 200));
  // The centre mark sits on pixel (100, 100), and the scale ring, which the needle's tip
  // reaches 80 pixels out, is centred on it.
  EXPECT_LT(qGray(card.pixel(100, 100)), 160);
  EXPECT_LT(qGray(card.pixel(20, 100)), 160);
  EXPECT_EQ(card.pixel(180, 100), card.pixel(20, 100));
  EXPECT_EQ(card.pixel(100, 180), card.pixel(100, 20));
  // The program draws it once, the same card.
  EXPECT_EQ(CompassCard(), card);
  EXPECT_EQ(&CompassCard(), &CompassCard());
}
