#include <QColor>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include "ui/main_window/main_form.h"

void TMainForm::StartCaptureClick(QObject* /*sender*/) {
  if (captureRunning_ == 1) {
    ShowInformation("Čtení dat je už spuštené.");
    return;
  }
  if (session_.FindDevice() == -1) {
    ShowInformation("USB anemometer není připojen.");
    return;
  }
  core_.Records().Clear();
  ClearChartPoints();
  ResetDisplay();
  // A failed start has told the user itself when it had something to tell.
  if (session_.StartCapture() == -1) return;
  captureRunning_ = 1;
  ShowCaptureState(1);
}

void TMainForm::StopCaptureClick(QObject* /*sender*/) {
  if (captureRunning_ == 0) {
    ShowInformation("Čtení dat je už zastavené.");
    return;
  }
  captureRunning_ = 0;
  session_.StopReading();
  ShowCaptureState(0);
}

void TMainForm::ExitClick(QObject* /*sender*/) { close(); }

void TMainForm::ShowCaptureState(int running) {
  // Painted whole every time, so nothing of the last state needs keeping.
  QImage bitmap(20, 20, QImage::Format_RGB32);
  QPainter painter(&bitmap);
  painter.fillRect(0, 0, 20, 20, running != 0 ? QColor(0, 128, 0) : QColor(255, 0, 0));
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, 19, 19);
  painter.end();
  Image_CaptureIndicator->setPixmap(QPixmap::fromImage(bitmap));
}

void TMainForm::SpeedButton_FileOpenClick(QObject* sender) { OpenClick(sender); }
void TMainForm::SpeedButton_FileSaveClick(QObject* sender) { SaveClick(sender); }
void TMainForm::SpeedButton_FileSavePdfClick(QObject* sender) { SaveAsPDFClick(sender); }
void TMainForm::SpeedButton_CaptureStartClick(QObject* sender) { StartCaptureClick(sender); }
void TMainForm::SpeedButton_CaptureStopClick(QObject* sender) { StopCaptureClick(sender); }
void TMainForm::SpeedButton_AlarmsClick(QObject* sender) { ShowAlarmsClick(sender); }
