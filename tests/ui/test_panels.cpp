// The main window's panels on their own, on a bare client area: each keeps its own state and
// shows it, and the display batches one report's rows.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QWidget>
#include <string>
#include <vector>

#include "alarms/alarm_limits.h"
#include "tests/support/named_child.h"
#include "ui/panels/data_grid_panel.h"
#include "ui/panels/record_display.h"
#include "ui/panels/temperature_panel.h"
#include "ui/panels/trend_chart_panel.h"
#include "ui/panels/wind_panel.h"
#include "ui/widgets/data_string_grid.h"
#include "ui/widgets/fit_to_text.h"

namespace {

std::string Text(const QWidget& client, const char* name) {
  return NamedChild<QLabel>(client, name).text().toStdString();
}

qint64 PictureKey(const QWidget& client, const char* name) {
  return NamedChild<QLabel>(client, name).pixmap().cacheKey();
}

MeasurementRecord Record(int sector, float avg, float temperature, std::uint16_t second) {
  MeasurementRecord record;
  record.Time = {2024, 5, 2, 14, 12, 0, second, 0};
  record.Sector = sector;
  record.AvgSpeed = avg;
  record.GustSpeed = 2 * avg;
  record.Temperature = temperature;
  record.WindChillAvg = temperature;
  record.WindChillGust = temperature;
  return record;
}

class PanelsTest : public ::testing::Test {
 protected:
  QWidget client;
  AlarmLimits limits;
  WindPanel wind{&client, limits};
  TrendChartPanel trends{&client};
  TemperaturePanel temperature{&client, limits};
  DataGridPanel grid{&client};
  RecordDisplay display{grid, wind, temperature, trends};
};

}  // namespace

TEST_F(PanelsTest, WindPanelWritesASectorsTextsWhenAskedAndRedrawsTheRoseOnlyOnChange) {
  const TDataStringGrid& table = NamedChild<TDataStringGrid>(client, "StringGrid_WindSpeed");
  wind.TakeSectorSpeeds(4, 1.5f, 3.0f);
  EXPECT_EQ(table.CellText(1, 5), "") << "texts wait for the report's end";
  EXPECT_EQ(wind.SectorAvgSpeed()[4], 1.5f);
  wind.ShowNewSectorSpeeds();
  EXPECT_EQ(table.CellText(1, 5), "1.50");
  EXPECT_EQ(table.CellText(2, 5), "3.00");

  wind.DrawWindRose(4);
  const qint64 drawn = PictureKey(client, "Image_WindRose");
  wind.DrawWindRose(4);
  EXPECT_EQ(PictureKey(client, "Image_WindRose"), drawn) << "same inputs, same picture";
  wind.SetCompassChartType(3);
  EXPECT_EQ(NamedChild<QComboBox>(client, "ComboBox_TypGrafuNaKompasu").currentIndex(), 2);
  wind.DrawWindRose(4);
  EXPECT_NE(PictureKey(client, "Image_WindRose"), drawn) << "the gust petals are new";

  NamedChild<QComboBox>(client, "ComboBox_TypGrafuNaKompasu").setCurrentIndex(1);
  wind.TakeChosenCompassChartType();
  EXPECT_EQ(wind.CompassChartType(), 2);

  wind.UpdateDirectionGrid(16, 0, 0);
  EXPECT_EQ(table.CellText(1, 5), "");
  EXPECT_EQ(wind.SectorGustSpeed()[4], 0.0f);
}

TEST_F(PanelsTest, GridDropsWithinAReportWaitForTheNextRow) {
  for (std::uint16_t s = 0; s < 3; ++s)
    grid.AddGridRow({2024, 5, 2, 14, 12, 0, s, 0}, 1, 1, 2, 3, 4, 5, 6, 7);
  ASSERT_EQ(grid.Grid().RowCount(), 4);
  grid.DropOldestGridRow(/*withinReport=*/true);
  EXPECT_EQ(grid.Grid().RowCount(), 4) << "the drop waits";
  grid.AddGridRow({2024, 5, 2, 14, 12, 0, 9, 0}, 2, 1, 2, 3, 4, 5, 6, 7);
  EXPECT_EQ(grid.Grid().RowCount(), 4) << "the new top row took the bottom row's place";
  EXPECT_EQ(grid.Grid().CellText(0, 1), "14.5 2024 12:00:09");
  EXPECT_EQ(grid.Grid().CellText(0, 3), "14.5 2024 12:00:01");
  grid.DropOldestGridRow(/*withinReport=*/true);
  grid.FinishReport();
  EXPECT_EQ(grid.Grid().RowCount(), 3) << "a drop no row took is made at the end";
  grid.DropOldestGridRow();
  EXPECT_EQ(grid.Grid().RowCount(), 2);
}

TEST_F(PanelsTest, DisplayShowsLabelsAndPicturesOnceAtTheEndOfAReport) {
  const std::string designed = Text(client, "CurWindPowerLabel");
  display.BeginReport(3);
  for (std::uint16_t i = 0; i < 3; ++i) {
    RecordContext context;
    context.Statistics.AvgSpeedMax = 3.0f;
    display.TakeRecord(Record(i, 1.0f + i, -2.0f, i), context);
  }
  EXPECT_EQ(Text(client, "CurWindPowerLabel"), designed) << "labels wait for the end";
  EXPECT_EQ(grid.Grid().RowCount(), 4) << "the grid follows every row";
  EXPECT_EQ(trends.ChartPoints().size(), 1u);
  EXPECT_TRUE(trends.ChartPointClosed());
  display.EndReport();
  EXPECT_EQ(Text(client, "CurWindPowerLabel"), "3.00");
  EXPECT_EQ(Text(client, "MaxWindPowerLabel"), "3.00");
  EXPECT_EQ(Text(client, "StaticText_CurOutdoorTemp"), "-2.00");
  EXPECT_EQ(Text(client, "StaticText_WindDir"), "NE");
  EXPECT_EQ(temperature.LastBarTemperature(), -2.0f);
  EXPECT_EQ(NamedChild<TDataStringGrid>(client, "StringGrid_WindSpeed").CellText(1, 2), "2.00");

  // A record that made the store drop its oldest takes the grid's bottom row with it.
  RecordContext dropped;
  dropped.DroppedOldest = 1;
  display.TakeRecord(Record(5, 1.0f, 0.0f, 9), dropped);
  EXPECT_EQ(grid.Grid().RowCount(), 4);
  EXPECT_EQ(Text(client, "StaticText_WindDir"), "ESE") << "outside a report, shown at once";

  trends.ClearChartPoints();
  EXPECT_TRUE(trends.ChartPoints().empty());
}

// A label fitted to its text has the size adjustSize gives it: every caption and value of the
// panels, and the labels that fitting leaves to adjustSize.
TEST_F(PanelsTest, LabelsFitTheirTextsAsAdjustSizeWould) {
  struct Case {
    QString text;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    bool bold = false;
    bool wrap = false;
    int indent = -1;
  };
  std::vector<Case> cases;
  for (const QLabel* label : client.findChildren<QLabel*>()) {
    if (!label->text().isEmpty()) cases.push_back({label->text(), label->alignment()});
  }
  ASSERT_GT(cases.size(), 40U);
  cases.push_back({QStringLiteral("Průměr:"), Qt::AlignRight | Qt::AlignVCenter, true});
  cases.push_back({QStringLiteral("Čas\nměření"), Qt::AlignCenter});
  cases.push_back({QString::fromUtf8("\u05E8\u05D5\u05D7 12")});  // right to left
  cases.push_back({QStringLiteral("<b>Vítr</b>")});               // rich text
  cases.push_back({QStringLiteral("Nárazy větru nad mezí"), Qt::AlignLeft, false, true});
  cases.push_back({QStringLiteral("m/s"), Qt::AlignLeft, false, false, 6});
  cases.push_back({QString()});
  for (const Case& c : cases) {
    QLabel fitted(c.text, &client);
    QLabel adjusted(c.text, &client);
    for (QLabel* label : {&fitted, &adjusted}) {
      label->setAlignment(c.alignment);
      label->setWordWrap(c.wrap);
      label->setIndent(c.indent);
      QFont font = label->font();
      font.setBold(c.bold);
      label->setFont(font);
    }
    FitToText(fitted);
    adjusted.adjustSize();
    EXPECT_EQ(fitted.size(), adjusted.size()) << c.text.toStdString();
  }
}
