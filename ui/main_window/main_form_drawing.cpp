// The main window's pictures: the four trend charts, the thermometer bar and the wind rose.
#include <QLabel>
#include <QPixmap>

#include "main_form.h"

namespace {

void Show(QLabel* image, const QImage& bitmap) { image->setPixmap(QPixmap::fromImage(bitmap)); }

void ShowTrendCharts(TMainForm& form) {
  Show(form.Image_Wind, form.Charts.WindBitmap());
  Show(form.Image_WindDir, form.Charts.WindDirBitmap());
  Show(form.Image_WindChill, form.Charts.WindChillBitmap());
  Show(form.Image_Temperature, form.Charts.TemperatureBitmap());
}

}  // namespace

void TMainForm::ClearChartPoints() { Charts.Clear(); }

void TMainForm::UpdateTrendCharts(bool draw) {
  const RecordStore& store = Core.Records();
  if (store.Empty()) return;
  // Only a record that completes a chart point changes the pictures.
  if (Charts.UpdateTrendCharts(store[store.Size() - 1], draw)) chartsRedrawn_ = true;
}

void TMainForm::ShowRedrawnTrendCharts() {
  if (!chartsRedrawn_) return;
  chartsRedrawn_ = false;
  ShowTrendCharts(*this);
}

void TMainForm::ClearTrendCharts() {
  Charts.ClearTrendCharts();
  chartsRedrawn_ = false;
  ShowTrendCharts(*this);
}

void TMainForm::DrawTemperatureBar(float temperature) {
  if (Bar.DrawTemperatureBar(temperature)) {
    Show(Image_TemperatureBar, Bar.TemperatureBarBitmap());
  }
}

void TMainForm::DrawWindRose(int sector) {
  // The same direction, petal type and petals give the same picture: nothing to draw or show.
  const RoseInputs inputs{sector, CompassChartType, SectorAvgSpeed, SectorGustSpeed};
  if (inputs == roseShown_) return;
  Rose.DrawWindRose(WindRosePicture, sector, CompassChartType, SectorAvgSpeed, SectorGustSpeed);
  Show(Image_WindRose, WindRosePicture);
  roseShown_ = inputs;
}
