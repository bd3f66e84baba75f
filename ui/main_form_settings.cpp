#include "main_form.h"

int TMainForm::LoadSettings() {
  Core.SetDirectionOffset(0);
  CompassChartType = 1;
  return 0;
}

int TMainForm::SaveSettings() { return 0; }

void TMainForm::PosunutiSmeruVetruClick(QObject* /*sender*/) {}

void TMainForm::ComboBox_TypGrafuNaKompasuSelect(QObject* /*sender*/) {}
