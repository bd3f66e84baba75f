#include "ui/panels/trend_chart_panel.h"

#include <QLabel>

#include "ui/panels/placed_controls.h"

TrendChartPanel::TrendChartPanel(QWidget* client) {
  constexpr int kWidth = TrendCharts::kChartWidth;
  constexpr int kHeight = TrendCharts::kChartHeight;
  Image_Wind = PlacePicture(client, "Image_Wind", 35, 382, kWidth, kHeight);
  Image_WindDir = PlacePicture(client, "Image_WindDir", 354, 382, kWidth, kHeight);
  Image_WindChill = PlacePicture(client, "Image_WindChill", 35, 544, kWidth, kHeight);
  Image_Temperature = PlacePicture(client, "Image_Temperature", 354, 544, kWidth, kHeight);

  PlaceLabel(client, "Rychlost větru průměr/max a Beaufort:", 35, 362);
  PlaceLabel(client, "Směr větru:", 354, 362);
  PlaceLabel(client, "Wind chill průměr/max:", 35, 524);
  PlaceLabel(client, "Teplota:", 354, 524);

  struct Scale {
    const char* text;
    int left, top;
  };
  // A table reads in rows.
  // clang-format off
  const Scale scales[] = {
      // Wind speed on the left, Beaufort on the right.
      {"50 -", 12, 376}, {"40 -", 12, 397}, {"30 -", 12, 419}, {"20 -", 12, 441},
      {"10 -", 12, 463}, {"0 -", 18, 485}, {"- 12", 280, 375}, {"- 9", 280, 402},
      {"- 6", 280, 430}, {"- 3", 280, 457}, {"- 0", 280, 485}, {"0", 32, 498},
      {"-10", 112, 498}, {"-20", 192, 498}, {"-30", 270, 498},
      // Direction.
      {"NNW -", 319, 376}, {"W -", 333, 402}, {"S -", 337, 430}, {"E -", 337, 457},
      {"N -", 336, 485}, {"0", 352, 498}, {"-10", 432, 498}, {"-20", 512, 498},
      {"-30", 590, 498},
      // Wind chill.
      {"55 -", 12, 538}, {"27 -", 12, 565}, {"0 -", 18, 592}, {"-27 -", 8, 619},
      {"-55 -", 8, 647}, {"0", 32, 659}, {"-10", 112, 659}, {"-20", 192, 659},
      {"-30", 272, 659},
      // Temperature.
      {"55 -", 331, 538}, {"27 -", 331, 567}, {"0 -", 337, 597}, {"-30 -", 327, 622},
      {"-60 -", 327, 647}, {"0", 352, 659}, {"-10", 432, 659}, {"-20", 512, 659},
      {"-30", 590, 659},
  };
  // clang-format on
  for (const Scale& scale : scales) PlaceLabel(client, scale.text, scale.left, scale.top);
  PlaceLabel(client, "Osy X mají jednotku [min]", 624, 659);
}

void TrendChartPanel::UpdateTrendCharts(const MeasurementRecord& newest, bool draw) {
  // Only a record that completes a chart point changes the pictures.
  if (Charts.UpdateTrendCharts(newest, draw)) chartsRedrawn_ = true;
}

void TrendChartPanel::ShowRedrawnTrendCharts() {
  if (!chartsRedrawn_) return;
  chartsRedrawn_ = false;
  ShowTrendCharts();
}

void TrendChartPanel::ClearTrendCharts() {
  Charts.ClearTrendCharts();
  chartsRedrawn_ = false;
  ShowTrendCharts();
}

void TrendChartPanel::ShowTrendCharts() {
  ShowPicture(Image_Wind, Charts.WindBitmap());
  ShowPicture(Image_WindDir, Charts.WindDirBitmap());
  ShowPicture(Image_WindChill, Charts.WindChillBitmap());
  ShowPicture(Image_Temperature, Charts.TemperatureBitmap());
}
