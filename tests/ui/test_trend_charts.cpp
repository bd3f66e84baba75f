#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <limits>
#include <vector>

#include "ui/drawing/trend_charts.h"

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF, kBlack = 0xFF000000, kGrey = 0xFF808080;
constexpr QRgb kRed = 0xFFFF0000, kGreen = 0xFF008000, kBlue = 0xFF0000FF;

struct Values {
  float avg = 0, gust = 0, beaufort = 0;
  int sector = 0;
  float chillAvg = 0, chillGust = 0, temperature = 0;
};

// Feeds count records with these values; returns how many of them redrew the charts.
int Feed(TrendCharts& charts, const Values& v, int count) {
  MeasurementRecord r;
  r.AvgSpeed = v.avg;
  r.GustSpeed = v.gust;
  r.BeaufortAvg = v.beaufort;
  r.BeaufortGust = 7;
  r.Sector = v.sector;
  r.WindChillAvg = v.chillAvg;
  r.WindChillGust = v.chillGust;
  r.Temperature = v.temperature;
  int redraws = 0;
  for (int i = 0; i < count; ++i) redraws += charts.UpdateTrendCharts(r) ? 1 : 0;
  return redraws;
}

// Pixels inside the frame that are neither white nor the grey zero line (or only those of one
// colour), row by row.
std::vector<QPoint> Marks(const QImage& chart, QRgb only = 0) {
  std::vector<QPoint> marks;
  for (int y = 1; y < chart.height() - 1; ++y) {
    for (int x = 1; x < chart.width() - 1; ++x) {
      const QRgb p = chart.pixel(x, y);
      if (p != kWhite && p != kGrey && (only == 0 || p == only)) marks.emplace_back(x, y);
    }
  }
  return marks;
}

const Values kSteady{5.0f, 10.0f, 3.0f, 4, -5.0f, -15.0f, 10.0f};

}  // namespace

TEST(TrendChartsTest, ChartsStayBlankUntilTheSixthRecordAfterAStart) {
  TrendCharts charts;
  Feed(charts, kSteady, 4);  // a previous capture's leftovers
  charts.ClearTrendCharts();
  charts.Clear();
  for (const QImage* chart : {&charts.WindBitmap(), &charts.WindDirBitmap(),
                              &charts.WindChillBitmap(), &charts.TemperatureBitmap()}) {
    ASSERT_EQ(chart->size(), QSize(242, 112));
    for (int i = 0; i < 242 * 112; ++i) {
      const int x = i % 242, y = i / 242;
      const bool frame = x == 0 || x == 241 || y == 0 || y == 111;
      if (frame) {
        ASSERT_EQ(chart->pixel(x, y), kBlack) << x << "," << y;
      }
    }
    EXPECT_TRUE(Marks(*chart).empty());
  }
  for (int x = 1; x <= 240; ++x) {
    EXPECT_EQ(charts.WindChillBitmap().pixel(x, 55), kGrey) << x;
    EXPECT_EQ(charts.TemperatureBitmap().pixel(x, 60), kGrey) << x;
  }

  // The first point sits at x = 1, where neither a segment nor a dot is drawn.
  const QImage blankWind = charts.WindBitmap(), blankDir = charts.WindDirBitmap();
  const int expectedRedraws[] = {0, 0, 1, 0, 0, 1};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Feed(charts, kSteady, 1), expectedRedraws[i]) << "record " << i + 1;
    if (i < 5) {
      EXPECT_TRUE(charts.WindBitmap() == blankWind && charts.WindDirBitmap() == blankDir) << i;
    }
  }
  EXPECT_EQ(charts.ChartPoints().size(), 2u);
  EXPECT_FALSE(Marks(charts.WindBitmap()).empty());
}

TEST(TrendChartsTest, SteadySeriesDrawsTheExpectedPixels) {
  TrendCharts charts;
  ASSERT_EQ(Feed(charts, kSteady, 6), 2);
  // y = 110 - trunc(f(v)); each segment runs from x = 1 to 3 without its end pixel.
  const QImage& wind = charts.WindBitmap();
  EXPECT_EQ(Marks(wind),
            (std::vector<QPoint>{{1, 83}, {2, 83}, {1, 90}, {2, 90}, {1, 100}, {2, 100}}));
  EXPECT_TRUE(wind.pixel(1, 100) == kRed && wind.pixel(1, 90) == kGreen);  // 5 and 10 m/s
  EXPECT_EQ(wind.pixel(2, 83), kBlue);                                     // Beaufort 3
  EXPECT_EQ(Marks(charts.WindChillBitmap(), kRed), (std::vector<QPoint>{{1, 60}, {2, 60}}));
  EXPECT_EQ(Marks(charts.WindChillBitmap(), kBlue), (std::vector<QPoint>{{1, 70}, {2, 70}}));
  EXPECT_EQ(Marks(charts.TemperatureBitmap()), (std::vector<QPoint>{{1, 50}, {2, 50}}));
  // Sector 4 at y = 82: the dot around (3, 82) covers x 1..4 and y 80..83, the right and
  // bottom edges of its box (x + 2, y + 2) left out; red inside a black outline.
  const std::vector<QPoint> dot = Marks(charts.WindDirBitmap());
  ASSERT_EQ(dot.size(), 16u);
  EXPECT_TRUE(dot.front() == QPoint(1, 80) && dot.back() == QPoint(4, 83));
  EXPECT_EQ(charts.WindDirBitmap().pixel(2, 81), kRed);
  EXPECT_EQ(charts.WindDirBitmap().pixel(1, 82), kBlack);
}

TEST(TrendChartsTest, PointsAreMeansOfThreeRecords) {
  TrendCharts charts;
  // N, N, NNW average to sector 5: the sector numbers are averaged, not the angles.
  Feed(charts, {.avg = 1.0f, .beaufort = 1.0f, .sector = 0, .temperature = 4.0f}, 1);
  Feed(charts, {.avg = 2.0f, .beaufort = 1.0f, .sector = 0, .temperature = 5.0f}, 1);
  Feed(charts, {.avg = 6.0f, .beaufort = 2.0f, .sector = 15, .temperature = 9.0f}, 1);
  const MeasurementRecord& point = charts.ChartPoints().front();
  EXPECT_FLOAT_EQ(point.AvgSpeed, 3.0f);
  EXPECT_FLOAT_EQ(point.BeaufortAvg, 4.0f / 3.0f);
  EXPECT_EQ(point.SectorAccumulator, 5);
  EXPECT_FLOAT_EQ(point.Temperature, 6.0f);
  EXPECT_EQ(point.BeaufortGust, 0.0f);
  Feed(charts, {.avg = 30.0f}, 1);  // opens a new point from zero
  EXPECT_FLOAT_EQ(charts.ChartPoints().back().AvgSpeed, 30.0f);
}

TEST(TrendChartsTest, SegmentsFollowTheLineRulesOfTheDrawingApi) {
  // Temperatures 0 -> 5 -> 0 -> 0.5 at x = 1, 3, 5, 7: a rising and a falling segment of five
  // rows, then a flat one; each leaves out its end pixel, whichever way it runs.
  TrendCharts charts;
  for (float t : {0.0f, 5.0f, 0.0f, 0.5f}) Feed(charts, {.temperature = t}, 3);
  EXPECT_EQ(Marks(charts.TemperatureBitmap()), (std::vector<QPoint>{{3, 55},
                                                                    {3, 56},
                                                                    {2, 57},
                                                                    {4, 57},
                                                                    {2, 58},
                                                                    {4, 58},
                                                                    {1, 59},
                                                                    {5, 59},
                                                                    {1, 60},
                                                                    {5, 60},
                                                                    {6, 60}}));
  // A pixel exactly halfway between two rows goes to the upper one.
  TrendCharts tie;
  for (float chill : {-5.0f, -4.0f}) Feed(tie, {.chillAvg = chill, .chillGust = -50.0f}, 3);
  EXPECT_EQ(Marks(tie.WindChillBitmap(), kRed), (std::vector<QPoint>{{2, 59}, {1, 60}}));
}

TEST(TrendChartsTest, OldestPointDropsWhenTheHundredAndTwentyFirstOpens) {
  TrendCharts charts;
  auto saw = [](int point) {
    return Values{static_cast<float>(point % 17), static_cast<float>(point % 23 + 10),
                  static_cast<float>(point % 13), point % 16};
  };
  for (int point = 0; point < 120; ++point) Feed(charts, saw(point), 3);
  const QImage windBefore = charts.WindBitmap(), dirBefore = charts.WindDirBitmap();
  EXPECT_EQ(dirBefore.pixel(239, 110 - 7 * (119 % 16)), kRed);  // newest dot at x = 239

  EXPECT_EQ(Feed(charts, saw(120), 1), 0);  // opens the 121st point, draws nothing yet
  EXPECT_EQ(charts.ChartPoints().size(), 120u);
  EXPECT_FLOAT_EQ(charts.ChartPoints().front().AvgSpeed, 1.0f);
  EXPECT_EQ(Feed(charts, saw(120), 2), 1);
  // Everything moved two pixels left. (The point now at x = 1 loses its dot and its incoming
  // segment, so the first columns differ.)
  for (int y = 1; y <= 110; ++y) {
    for (int x = 3; x <= 234; ++x) {
      ASSERT_EQ(charts.WindBitmap().pixel(x, y), windBefore.pixel(x + 2, y)) << x << "," << y;
      ASSERT_EQ(charts.WindDirBitmap().pixel(x, y), dirBefore.pixel(x + 2, y)) << x << "," << y;
    }
  }
  EXPECT_EQ(charts.WindBitmap().pixel(238, 109), kRed);  // newest segment (237,110)-(239,108)
  EXPECT_EQ(charts.WindBitmap().pixel(239, 108), kWhite);
}

TEST(TrendChartsTest, ValuesOutsideTheChartAreClipped) {
  // A wind chill of -56 lands on the bottom frame line; -57 and a temperature of -52 fall below.
  TrendCharts charts;
  Feed(charts, {.chillAvg = -56.0f, .chillGust = -57.0f, .temperature = -52.0f}, 6);
  EXPECT_EQ(charts.WindChillBitmap().pixel(2, 111), kRed);
  EXPECT_EQ(charts.WindChillBitmap().pixel(3, 111), kBlack);
  EXPECT_TRUE(Marks(charts.WindChillBitmap()).empty());
  EXPECT_EQ(charts.TemperatureBitmap(), TrendCharts().TemperatureBitmap());
  // Absurd values: the segments towards them cross the whole chart, frame rows included.
  const float huge = std::numeric_limits<float>::max();
  Feed(charts, {huge, -huge, huge, 0, -huge, huge, std::nanf("")}, 3);
  EXPECT_EQ(charts.WindBitmap().pixel(3, 0), kBlue);
  EXPECT_EQ(charts.WindBitmap().pixel(3, 111), kGreen);
}
