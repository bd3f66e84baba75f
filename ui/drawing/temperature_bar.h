#pragma once

#include <QImage>

// The thermometer bar beside the temperature chart: a red-to-blue column on a scale from 60 to
// -50 degrees C with a mark every 10 degrees, drawn on an off-screen bitmap.
class TemperatureBar {
 public:
  static constexpr int kBarWidth = 32;
  static constexpr int kBarHeight = 169;

  TemperatureBar();

  // Redraws the bar for temperature (degrees C) and returns true, unless the bar already
  // shows this same non-zero temperature: then nothing is drawn and the result is false.
  bool DrawTemperatureBar(float temperature);

  // The first row of the coloured column: 14 for 60 degrees, 92 for 0, 157 for -50; 170 and
  // more leave the whole bar white.
  static int ColumnTop(float temperature);

  // The temperature last drawn; 0 means none, so that the next drawing is never skipped.
  float LastBarTemperature() const { return lastBarTemperature_; }
  void SetLastBarTemperature(float temperature) { lastBarTemperature_ = temperature; }

  const QImage& TemperatureBarBitmap() const { return bitmap_; }

 private:
  QImage bitmap_;
  float lastBarTemperature_ = 0.0f;
};
