#pragma once

#include <QImage>
#include <array>
#include <bitset>
#include <cstdint>
#include <optional>

#include "core/direction_sector.h"
#include "ui/drawing/wind_rose.h"

class AlarmLimits;
class QComboBox;
class QGroupBox;
class QLabel;
class QWidget;
class TDataStringGrid;

// The main window's wind: the group with the wind rose, the table of the latest average and
// gust per direction, the five wind labels, the average wind's two alarm twins and the choice
// of the rose's petals, and the large direction name beside the group. It keeps the latest
// speeds per sector, which the table and the petals show, and the petal choice.
class WindPanel {
 public:
  // Creates the controls on the window's client area, at their designed places.
  WindPanel(QWidget* client, AlarmLimits& limits);

  WindPanel(const WindPanel&) = delete;
  WindPanel& operator=(const WindPanel&) = delete;

  // The table's texts for one sector; sector 16 empties the table and forgets every sector's
  // speeds.
  void UpdateDirectionGrid(int sector, float avg, float gust);
  void ShowWindLabels(float current, float minimum, float maximum, float mean, float gust);
  void ShowDirectionName(int sector);
  // The rose for sector with the current petal choice; sector 16 leaves the bare card.
  void DrawWindRose(int sector);

  // A record's speeds become the latest of its sector. The table shows them at
  // ShowNewSectorSpeeds, so a report of many rows writes each sector's texts once.
  void TakeSectorSpeeds(int sector, float avg, float gust);
  void ShowNewSectorSpeeds();

  // The rose's petals: 1 none, 2 average speed, 3 gust (the settings file's value). Setting it
  // also sets the choice on screen.
  std::int32_t CompassChartType() const { return compassChartType_; }
  void SetCompassChartType(std::int32_t type);
  // Takes the type the user chose on screen.
  void TakeChosenCompassChartType();
  QComboBox* CompassChartChoice() const { return ComboBox_TypGrafuNaKompasu; }

  // The latest average and gust per sector, index 16 only ever cleared.
  const std::array<float, 17>& SectorAvgSpeed() const { return sectorAvgSpeed_; }
  const std::array<float, 17>& SectorGustSpeed() const { return sectorGustSpeed_; }

 private:
  void WriteWindSpeedTitles();

  QGroupBox* GroupBox_Wind = nullptr;
  QLabel* Image_WindRose = nullptr;
  TDataStringGrid* StringGrid_WindSpeed = nullptr;
  QLabel* CurWindPowerLabel = nullptr;
  QLabel* MinWindPowerLabel = nullptr;
  QLabel* MaxWindPowerLabel = nullptr;
  QLabel* AvgWindPowerLabel = nullptr;
  QLabel* WindGustLabel = nullptr;
  QComboBox* ComboBox_TypGrafuNaKompasu = nullptr;
  QLabel* StaticText_WindDir = nullptr;

  std::int32_t compassChartType_ = kCompassChartNone;
  std::array<float, 17> sectorAvgSpeed_{};
  std::array<float, 17> sectorGustSpeed_{};
  // Sectors whose table texts lag behind their speeds.
  std::bitset<kSectorCount> sectorTextsOwed_;

  // Rose holds the pristine compass card that every drawing of WindRosePicture starts from.
  WindRose Rose;
  QImage WindRosePicture;
  // What the rose on screen was drawn from.
  struct RoseInputs {
    int sector;
    std::int32_t chartType;
    std::array<float, 17> avgSpeed;
    std::array<float, 17> gustSpeed;
    bool operator==(const RoseInputs&) const = default;
  };
  std::optional<RoseInputs> roseShown_;
};
