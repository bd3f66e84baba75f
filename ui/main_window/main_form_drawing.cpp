// The main window's pictures: the four trend charts, the thermometer bar and the wind rose.
#include <QLabel>
#include <QPixmap>

#include "ui/main_window/main_form.h"

namespace {

void Show(QLabel* image, const QImage& bitmap) { image->setPixmap(QPixmap::fromImage(bitmap)); }

}  // namespace

void TMainForm::ShowTrendCharts() {
  Show(Image_Wind, Charts.WindBitmap());
  Show(Image_WindDir, Charts.WindDirBitmap());
  Show(Image_WindChill, Charts.WindChillBitmap());
  Show(Image_Temperature, Charts.TemperatureBitmap());
}

void TMainForm::ClearChartPoints() { Charts.Clear(); }

void TMainForm::UpdateTrendCharts(bool draw) {
  const RecordStore& store = core_.Records();
  if (store.Empty()) return;
  // Only a record that completes a chart point changes the pictures.
  if (Charts.UpdateTrendCharts(store[store.Size() - 1], draw)) chartsRedrawn_ = true;
}

void TMainForm::ShowRedrawnTrendCharts() {
  if (!chartsRedrawn_) return;
  chartsRedrawn_ = false;
  ShowTrendCharts();
}

void TMainForm::ClearTrendCharts() {
  Charts.ClearTrendCharts();
  chartsRedrawn_ = false;
  ShowTrendCharts();
}

void TMainForm::DrawTemperatureBar(float temperature) {
  if (Bar.DrawTemperatureBar(temperature)) {
    Show(Image_TemperatureBar, Bar.TemperatureBarBitmap());
  }
}

void TMainForm::DrawWindRose(int sector) {
  // The same direction, petal type and petals give the same picture: nothing to draw or show.
  const RoseInputs inputs{sector, compassChartType_, sectorAvgSpeed_, sectorGustSpeed_};
  if (inputs == roseShown_) return;
  Rose.DrawWindRose(WindRosePicture, sector, compassChartType_, sectorAvgSpeed_, sectorGustSpeed_);
  Show(Image_WindRose, WindRosePicture);
  roseShown_ = inputs;
}
