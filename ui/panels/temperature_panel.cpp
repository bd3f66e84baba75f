#include "ui/panels/temperature_panel.h"

#include <QGroupBox>
#include <QLabel>
#include <string>

#include "alarms/alarm_limit.h"
#include "core/c_format.h"
#include "ui/panels/placed_controls.h"

namespace {

// Non-negative temperatures get a leading space, so that they line up with negative ones.
// (Prepended in place: GCC 12 at -O3 reports a false -Wrestrict for " " + std::string.)
std::string TemperatureText(float value) {
  std::string text = FormatFixed(value, 2, 2);
  if (value >= 0) text.insert(text.begin(), ' ');
  return text;
}

}  // namespace

TemperaturePanel::TemperaturePanel(QWidget* client, AlarmLimits& limits) {
  GroupBox_Temperature =
      PlaceGroup(client, "GroupBox_Temperature", " Teplota ", 624, 408, 183, 229);
  Image_TemperatureBar =
      PlacePicture(GroupBox_Temperature, "Image_TemperatureBar", 18, 32, 32, 169);

  GroupBox_Outdoor =
      PlaceGroup(GroupBox_Temperature, "GroupBox_Outdoor", " Venkovní ", 60, 16, 115, 106);
  struct TemperatureLine {
    const char* caption;
    const char* name;
    QLabel** label;
  };
  const TemperatureLine lines[] = {
      {"Aktualní:", "StaticText_CurOutdoorTemp", &StaticText_CurOutdoorTemp},
      {"Min:", "StaticText_MinOutdoorTemp", &StaticText_MinOutdoorTemp},
      {"Max:", "StaticText_MaxOutdoorTemp", &StaticText_MaxOutdoorTemp},
      {"Průměr:", "StaticText_AvgOutdoorTemp", &StaticText_AvgOutdoorTemp},
      {"WChill: ", "StaticText_WindChill", &StaticText_WindChill},
  };
  int top = 22;
  for (const TemperatureLine& line : lines) {
    PlaceLabel(GroupBox_Outdoor, line.caption, 8, top);
    *line.label = PlaceValue(GroupBox_Outdoor, line.name, "-00,00", 52, top, 40);
    PlaceLabel(GroupBox_Outdoor, "°C", 94, top);
    top += 16;
  }

  PlaceAlarmTwin(GroupBox_Temperature, "Alarm horní mez:", "TempAlarmHi", 60, 126, limits,
                 AlarmLimit::TempHi);
  PlaceAlarmTwin(GroupBox_Temperature, "Alarm dolní mez:", "TempAlarmLo", 60, 168, limits,
                 AlarmLimit::TempLo);
}

void TemperaturePanel::DrawTemperatureBar(float temperature) {
  if (Bar.DrawTemperatureBar(temperature)) {
    ShowPicture(Image_TemperatureBar, Bar.TemperatureBarBitmap());
  }
}

void TemperaturePanel::ShowTemperatureLabels(float current, float minimum, float maximum,
                                             float mean, float windChill) {
  ShowText(StaticText_CurOutdoorTemp, TemperatureText(current));
  ShowText(StaticText_MinOutdoorTemp, TemperatureText(minimum));
  ShowText(StaticText_MaxOutdoorTemp, TemperatureText(maximum));
  ShowText(StaticText_AvgOutdoorTemp, TemperatureText(mean));
  ShowText(StaticText_WindChill, TemperatureText(windChill));
}
