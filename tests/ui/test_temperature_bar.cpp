#include <gtest/gtest.h>

#include <QImage>

#include "ui/desktop/program_font.h"
#include "ui/drawing/temperature_bar.h"

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;

QImage BarFor(float temperature) {
  TemperatureBar bar;
  bar.DrawTemperatureBar(temperature);
  return bar.TemperatureBarBitmap();
}

}  // namespace

TEST(TemperatureBarTest, ColumnTopMeetsTheMarkOfItsTemperature) {
  EXPECT_EQ(TemperatureBar::ColumnTop(60.0f), 14);
  EXPECT_EQ(TemperatureBar::ColumnTop(0.0f), 92);
  EXPECT_EQ(TemperatureBar::ColumnTop(-50.0f), 157);
  EXPECT_EQ(TemperatureBar::ColumnTop(-60.0f), 170);
  EXPECT_EQ(TemperatureBar::ColumnTop(20.5f), 65);  // trunc(13 + 39.5 * 1.3 + 1)
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(TemperatureBar::ColumnTop(60.0f - 10.0f * static_cast<float>(i)), 14 + 13 * i);
  }
}

TEST(TemperatureBarTest, ColumnIsGradientBelowItsTopAndWhiteAbove) {
  for (float t : {60.0f, 20.5f, -12.25f, -50.0f}) {
    SCOPED_TRACE(t);
    const QImage image = BarFor(t);
    ASSERT_EQ(image.size(), QSize(32, 169));
    EXPECT_TRUE(image.pixel(0, 100) == kBlack && image.pixel(31, 100) == kBlack);
    EXPECT_TRUE(image.pixel(15, 0) == kBlack && image.pixel(15, 168) == kBlack);
    // Column x = 1 is clear of the scale's texts and marks.
    const int top = TemperatureBar::ColumnTop(t);
    for (int y = 1; y < top - 1; ++y) EXPECT_EQ(image.pixel(1, y), kWhite) << y;
    EXPECT_EQ(image.pixel(1, top - 1), kBlack);
    for (int y = top; y <= 167; ++y) {
      const QRgb p = image.pixel(1, y);
      EXPECT_TRUE(qGreen(p) == 0 && qRed(p) + qBlue(p) >= 253 && qRed(p) + qBlue(p) <= 255) << y;
    }
  }
}

TEST(TemperatureBarTest, GradientRunsFromRedAtTheTopToBlueAtTheBottom) {
  const QImage image = BarFor(70.0f);  // column top at row 1: the whole gradient shows
  EXPECT_EQ(image.pixel(1, 1), qRgb(255, 0, 0));
  // The fill stops one row short of its lower corner, where it would be pure blue.
  EXPECT_EQ(image.pixel(1, 167), qRgb(1, 0, 253));
  EXPECT_NEAR(qRed(image.pixel(1, 84)), 128, 2);
  for (int y = 2; y <= 167; ++y) EXPECT_LE(qRed(image.pixel(1, y)), qRed(image.pixel(1, y - 1)));
  for (int y = 1; y <= 168; ++y) EXPECT_EQ(BarFor(-60.0f).pixel(1, y), kWhite) << y;
}

TEST(TemperatureBarTest, ScaleMarksInvertWhatIsUnderThemOnce) {
  for (float t : {60.0f, 23.0f, -50.0f, -60.0f}) {
    SCOPED_TRACE(t);
    const QImage image = BarFor(t);
    for (int y = 1; y <= 167; ++y) {
      // Rows are uniform before the scale, as column 1 shows; a mark over the column's black
      // top line turns white, and the frame at x = 31 stays black.
      const bool mark = y % 13 == 0 && y <= 156;
      const QRgb under = image.pixel(1, y);
      const QRgb expected =
          mark ? qRgb(255 - qRed(under), 255 - qGreen(under), 255 - qBlue(under)) : under;
      for (int x = 22; x <= 30; ++x) ASSERT_EQ(image.pixel(x, y), expected) << x << "," << y;
      EXPECT_EQ(image.pixel(31, y), kBlack);
    }
  }
}

TEST(TemperatureBarTest, ScaleTextsSitOnTheirMarks) {
  LoadProgramFonts();
  const QImage image = BarFor(-60.0f);  // all white: every label shows as dark pixels
  auto ink = [&](int top, int bottom) {
    int count = 0;
    for (int y = top; y <= bottom; ++y) {
      for (int x = 1; x <= 21; ++x) count += qGray(image.pixel(x, y)) < 140 ? 1 : 0;
    }
    return count;
  };
  for (int y = 13; y <= 156; y += 13) EXPECT_GT(ink(y - 6, y + 6), 8) << y;
  EXPECT_EQ(ink(1, 5), 0);  // nothing above the first label
}

TEST(TemperatureBarTest, EqualNonZeroTemperatureIsNotRedrawn) {
  TemperatureBar bar;
  EXPECT_TRUE(bar.DrawTemperatureBar(12.5f));
  EXPECT_FALSE(bar.DrawTemperatureBar(12.5f));
  const QImage at12 = bar.TemperatureBarBitmap();
  EXPECT_TRUE(bar.DrawTemperatureBar(30.0f));
  EXPECT_NE(bar.TemperatureBarBitmap(), at12);
  // Zero counts as "nothing drawn yet": it is drawn every time.
  EXPECT_TRUE(bar.DrawTemperatureBar(0.0f));
  EXPECT_TRUE(bar.DrawTemperatureBar(0.0f));
  EXPECT_TRUE(bar.DrawTemperatureBar(-3.0f));
  bar.SetLastBarTemperature(0.0f);
  EXPECT_TRUE(bar.DrawTemperatureBar(-3.0f));
}
