#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include "main_form.h"

namespace {

void ClearBitmap(QImage& bitmap) {
  bitmap.fill(Qt::white);
  QPainter painter(&bitmap);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, bitmap.width() - 1, bitmap.height() - 1);
}

void Show(QLabel* image, const QImage& bitmap) { image->setPixmap(QPixmap::fromImage(bitmap)); }

}  // namespace

void TMainForm::UpdateTrendCharts() {}

void TMainForm::ClearTrendCharts() {
  for (QImage* chart : {&WindBitmap, &WindDirBitmap, &WindChillBitmap, &TemperatureBitmap}) {
    ClearBitmap(*chart);
  }
  Show(Image_Wind, WindBitmap);
  Show(Image_WindDir, WindDirBitmap);
  Show(Image_WindChill, WindChillBitmap);
  Show(Image_Temperature, TemperatureBitmap);
}

void TMainForm::DrawTemperatureBar(float /*temperature*/) {
  ClearBitmap(TemperatureBarBitmap);
  Show(Image_TemperatureBar, TemperatureBarBitmap);
}

void TMainForm::DrawWindRose(int /*sector*/) {}
