#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <string>
#include <vector>

#include "tests/ui/main_form_fixture.h"
#include "ui/drawing/compass_card.h"
#include "ui/drawing/temperature_bar.h"
#include "ui/drawing/trend_charts.h"
#include "ui/drawing/wind_rose.h"
#include "ui/panels/temperature_panel.h"
#include "ui/panels/trend_chart_panel.h"
#include "ui/panels/wind_panel.h"

namespace {

constexpr QRgb kRed = 0xFFFF0000, kGreen = 0xFF008000, kBlue = 0xFF0000FF;

// What an image label shows.
QImage Shown(const QLabel* image) {
  return image->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}

int Count(const QImage& image, QRgb colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == colour ? 1 : 0;
  }
  return count;
}

std::vector<QImage> ShownCharts(const TMainForm& form) {
  return {Shown(&NamedChild<QLabel>(form, "Image_Wind")),
          Shown(&NamedChild<QLabel>(form, "Image_WindDir")),
          Shown(&NamedChild<QLabel>(form, "Image_WindChill")),
          Shown(&NamedChild<QLabel>(form, "Image_Temperature"))};
}

std::vector<QImage> Bitmaps(const TrendCharts& charts) {
  return {charts.WindBitmap(), charts.WindDirBitmap(), charts.WindChillBitmap(),
          charts.TemperatureBitmap()};
}

QImage BarFor(float temperature) {
  TemperatureBar bar;
  bar.DrawTemperatureBar(temperature);
  return bar.TemperatureBarBitmap();
}

// The rose as the window should show it now for sector and chart type.
QImage RoseFor(const TMainForm& form, int sector, int compassChartType) {
  QImage picture = MakeCompassCard();
  WindRose rose;
  rose.DrawWindRose(picture, sector, compassChartType, form.Wind().SectorAvgSpeed(),
                    form.Wind().SectorGustSpeed());
  return picture;
}

// avg m/s at 500 mHz per m/s, a gust 4 m/s above it, direction code 5 (sector E).
Packet Report(std::uint32_t counter, int avg, const char* temperature = "12.5",
              const char* direction = "05") {
  return FakeHidTransport::MakeReport(counter, std::to_string(500 * avg),
                                      std::to_string(500 * (avg + 4)), direction, temperature);
}

using MainFormDrawingTest = MainFormTest;

}  // namespace

TEST_F(MainFormDrawingTest, ChartsStayBlankForFiveRecordsAfterAStartAndDrawWithTheSixth) {
  // The previous capture leaves a chart point open with two records in it.
  StartCaptureAndPrime();
  Deliver(Report(2, 20));
  Deliver(Report(3, 20));
  form->StopCaptureClick(nullptr);

  StartCaptureAndPrime(10);
  const TrendCharts blank;
  for (int i = 1; i <= 5; ++i) {
    Deliver(Report(10 + static_cast<std::uint32_t>(i), i));
    ASSERT_EQ(ShownCharts(*form), Bitmaps(blank)) << "record " << i;
  }
  EXPECT_EQ(form->Trends().ChartPoints().size(), 2u);
  EXPECT_FALSE(form->Trends().ChartPointClosed());

  Deliver(Report(16, 6));
  TrendCharts expected;  // the same records, charted on their own
  for (const MeasurementRecord& record : form->Core().Records()) expected.UpdateTrendCharts(record);
  EXPECT_EQ(ShownCharts(*form), Bitmaps(expected));
  EXPECT_GT(Count(Shown(&NamedChild<QLabel>(*form, "Image_Wind")), kRed), 0)
      << "the first segment of the average";
  EXPECT_GT(Count(Shown(&NamedChild<QLabel>(*form, "Image_WindDir")), kRed), 0)
      << "the first direction dot";
  EXPECT_TRUE(form->Trends().ChartPointClosed());

  // A reset blanks the pictures but keeps the points: the next record adds to a new one.
  form->ResetDisplay();
  EXPECT_EQ(ShownCharts(*form), Bitmaps(blank));
  EXPECT_EQ(form->Trends().ChartPoints().size(), 2u);
}

TEST_F(MainFormDrawingTest, RoseShowsTheNewestSectorWithThePetalsChosenAndTheBareCardAfterReset) {
  const QImage card = MakeCompassCard();
  EXPECT_EQ(Shown(&NamedChild<QLabel>(*form, "Image_WindRose")), card);

  StartCaptureAndPrime();
  Deliver(Report(2, 6));  // E
  const QImage needleOnly = Shown(&NamedChild<QLabel>(*form, "Image_WindRose"));
  EXPECT_EQ(needleOnly, RoseFor(*form, 4, kCompassChartNone));
  EXPECT_GT(Count(needleOnly, kGreen), 100);
  EXPECT_EQ(Count(needleOnly, kBlue) + Count(needleOnly, kRed), 0);

  // A new choice shows from the next record on, not at once.
  for (const int item : {1, 2}) {
    PickChartType(item);
    EXPECT_EQ(Shown(&NamedChild<QLabel>(*form, "Image_WindRose")), needleOnly);
  }
  Deliver(Report(3, 8, "12.5", "13"));  // W
  const QImage gustPetals = Shown(&NamedChild<QLabel>(*form, "Image_WindRose"));
  EXPECT_EQ(gustPetals, RoseFor(*form, 12, kCompassChartGust));
  EXPECT_GT(Count(gustPetals, kRed), 0);
  EXPECT_EQ(Count(gustPetals, kBlue), 0);

  PickChartType(1);
  Deliver(Report(4, 3, "12.5", "13"));
  EXPECT_EQ(Shown(&NamedChild<QLabel>(*form, "Image_WindRose")),
            RoseFor(*form, 12, kCompassChartAverage));

  form->StopCaptureClick(nullptr);
  form->ResetDisplay();
  EXPECT_EQ(Shown(&NamedChild<QLabel>(*form, "Image_WindRose")), card);
}

TEST_F(MainFormDrawingTest, BarShowsTheNewestTemperatureAndZeroAfterAStart) {
  ASSERT_NE(BarFor(25.0f), BarFor(0.0f));
  EXPECT_EQ(Shown(&NamedChild<QLabel>(*form, "Image_TemperatureBar")), BarFor(0.0f));

  StartCaptureAndPrime();
  Deliver(Report(2, 3, "-8.5"));
  EXPECT_EQ(Shown(&NamedChild<QLabel>(*form, "Image_TemperatureBar")), BarFor(-8.5f));
  Deliver(Report(3, 3, "25.0"));
  EXPECT_EQ(Shown(&NamedChild<QLabel>(*form, "Image_TemperatureBar")), BarFor(25.0f));
  EXPECT_EQ(form->Temperature().LastBarTemperature(), 25.0f);

  form->StopCaptureClick(nullptr);
  StartCaptureAndPrime(20);
  EXPECT_EQ(Shown(&NamedChild<QLabel>(*form, "Image_TemperatureBar")), BarFor(0.0f));
  EXPECT_EQ(form->Temperature().LastBarTemperature(), 0.0f);
  // The temperature of before the start is drawn again.
  Deliver(Report(21, 3, "25.0"));
  EXPECT_EQ(Shown(&NamedChild<QLabel>(*form, "Image_TemperatureBar")), BarFor(25.0f));
}
