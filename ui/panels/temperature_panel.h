#pragma once

#include "ui/drawing/temperature_bar.h"

class AlarmLimits;
class QGroupBox;
class QLabel;
class QWidget;

// The main window's temperature group: the thermometer bar, the outdoor labels (current, min,
// max, mean, wind chill) and the temperature's two alarm twins.
class TemperaturePanel {
 public:
  // Creates the controls on the window's client area, at their designed places.
  TemperaturePanel(QWidget* client, AlarmLimits& limits);

  TemperaturePanel(const TemperaturePanel&) = delete;
  TemperaturePanel& operator=(const TemperaturePanel&) = delete;

  // Redraws the bar only when the column would change.
  void DrawTemperatureBar(float temperature);
  void ShowTemperatureLabels(float current, float minimum, float maximum, float mean,
                             float windChill);

  // The temperature the bar shows; the next drawing compares with it.
  float LastBarTemperature() const { return Bar.LastBarTemperature(); }
  void SetLastBarTemperature(float temperature) { Bar.SetLastBarTemperature(temperature); }

 private:
  QGroupBox* GroupBox_Temperature = nullptr;
  QLabel* Image_TemperatureBar = nullptr;
  QGroupBox* GroupBox_Outdoor = nullptr;
  QLabel* StaticText_CurOutdoorTemp = nullptr;
  QLabel* StaticText_MinOutdoorTemp = nullptr;
  QLabel* StaticText_MaxOutdoorTemp = nullptr;
  QLabel* StaticText_AvgOutdoorTemp = nullptr;
  QLabel* StaticText_WindChill = nullptr;

  TemperatureBar Bar;
};
