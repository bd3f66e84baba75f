// The display operations of the main window: each a forward to the panel that shows it.
#include "ui/main_window/main_form.h"
#include "ui/panels/data_grid_panel.h"
#include "ui/panels/record_display.h"
#include "ui/panels/temperature_panel.h"
#include "ui/panels/trend_chart_panel.h"
#include "ui/panels/wind_panel.h"

void TMainForm::AddGridRow(const SystemTime& time, int sector, float avg, float gust,
                           float temperature, float wcAvg, float wcGust, float bfAvg,
                           float bfGust) {
  grid_->AddGridRow(time, sector, avg, gust, temperature, wcAvg, wcGust, bfAvg, bfGust);
}

void TMainForm::DropOldestGridRow() { display_->DropOldestGridRow(); }

void TMainForm::UpdateDirectionGrid(int sector, float avg, float gust) {
  wind_->UpdateDirectionGrid(sector, avg, gust);
}

void TMainForm::ShowWindLabels(float current, float minimum, float maximum, float mean,
                               float gust) {
  wind_->ShowWindLabels(current, minimum, maximum, mean, gust);
}

void TMainForm::ShowDirectionName(int sector) { wind_->ShowDirectionName(sector); }

void TMainForm::DrawWindRose(int sector) { wind_->DrawWindRose(sector); }

void TMainForm::ShowTemperatureLabels(float current, float minimum, float maximum, float mean,
                                      float windChill) {
  temperature_->ShowTemperatureLabels(current, minimum, maximum, mean, windChill);
}

void TMainForm::DrawTemperatureBar(float temperature) {
  temperature_->DrawTemperatureBar(temperature);
}

void TMainForm::ClearChartPoints() { trends_->ClearChartPoints(); }

void TMainForm::ClearTrendCharts() { trends_->ClearTrendCharts(); }
