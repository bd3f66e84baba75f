#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "alarms/alarm_event_model.h"
#include "alarms/alarms_form.h"
#include "core/date_time_text.h"
#include "core/record_store.h"
#include "tests/support/fake_sound_player.h"
#include "tests/ui/main_form_fixture.h"
#include "ui/panels/wind_panel.h"
#include "ui/widgets/data_string_grid.h"

namespace {

std::vector<std::string> GridRow(const TDataStringGrid& grid, int row) {
  std::vector<std::string> cells;
  for (int col = 0; col < grid.ColCount(); ++col) cells.push_back(grid.CellText(col, row));
  return cells;
}

std::vector<std::string> Texts(std::initializer_list<const QLabel*> labels) {
  std::vector<std::string> texts;
  for (const QLabel* label : labels) texts.push_back(label->text().toStdString());
  return texts;
}

std::vector<std::string> WindLabels(const TMainForm& f) {
  return Texts(
      {&NamedChild<QLabel>(f, "CurWindPowerLabel"), &NamedChild<QLabel>(f, "MinWindPowerLabel"),
       &NamedChild<QLabel>(f, "MaxWindPowerLabel"), &NamedChild<QLabel>(f, "AvgWindPowerLabel"),
       &NamedChild<QLabel>(f, "WindGustLabel")});
}

std::vector<std::string> TemperatureLabels(const TMainForm& f) {
  return Texts({&NamedChild<QLabel>(f, "StaticText_CurOutdoorTemp"),
                &NamedChild<QLabel>(f, "StaticText_MinOutdoorTemp"),
                &NamedChild<QLabel>(f, "StaticText_MaxOutdoorTemp"),
                &NamedChild<QLabel>(f, "StaticText_AvgOutdoorTemp"),
                &NamedChild<QLabel>(f, "StaticText_WindChill")});
}

using Row = std::vector<std::string>;

// With 500 mHz per m/s, 3000 mHz is 6 m/s (Beaufort 4) and 5000 mHz 10 m/s (Beaufort 5); at
// 30 degrees the wind chill formula gives more than the air temperature, so both wind chills
// are 30. Direction code 5 is sector 4, E.
const Row kFirstRow = {
    "6.12 2008 09:05:07", "6.00", "10.00", "30.00", "30.00", "30.00", "4.00", "5.00", "E"};
// 2 and 4 m/s (Beaufort 2 and 3) at 25 degrees; direction code 12 is WSW.
const Row kSecondRow = {
    "7.12 2008 10:00:00", "2.00", "4.00", "25.00", "25.00", "25.00", "2.00", "3.00", "WSW"};

TEST_F(MainFormTest, RecordsAppearNewestFirstWithTheirTextsAndLabels) {
  StartCaptureAndPrime();
  Deliver(FakeHidTransport::MakeReport(2, "03000", "05000", "05", "30.0"));
  EXPECT_EQ(Grid().RowCount(), 2) << "the first record fills the empty row";
  EXPECT_EQ(GridRow(Grid(), 1), kFirstRow);
  EXPECT_EQ(DirectionName(), QStringLiteral("E"));

  clock.Set(SystemTime{2008, 12, 0, 7, 10, 0, 0, 0});
  Deliver(FakeHidTransport::MakeReport(3, "01000", "02000", "12", "25.0"));
  EXPECT_EQ(Grid().RowCount(), 3);
  EXPECT_EQ(GridRow(Grid(), 1), kSecondRow);
  EXPECT_EQ(GridRow(Grid(), 2), kFirstRow);
  EXPECT_EQ(Grid().CellText(8, 0), "Směr větru [-]") << "titles stay";

  EXPECT_EQ(WindLabels(*form), (Row{"2.00", "2.00", "6.00", "4.00", "4.00"}));
  EXPECT_EQ(TemperatureLabels(*form), (Row{" 25.00", " 25.00", " 30.00", " 27.50", " 25.00"}));
  EXPECT_EQ(DirectionName(), QStringLiteral("WSW"));
}

TEST_F(MainFormTest, DirectionTableKeepsTheLatestValuesOfEachSector) {
  StartCaptureAndPrime();
  Deliver(FakeHidTransport::MakeReport(2, "03000", "05000", "05", "30.0"));
  Deliver(FakeHidTransport::MakeReport(3, "01000", "02000", "12", "25.0"));
  Deliver(FakeHidTransport::MakeReport(4, "02000", "04000", "05", "25.0"));

  const TDataStringGrid& table = NamedChild<TDataStringGrid>(*form, "StringGrid_WindSpeed");
  EXPECT_EQ(GridRow(table, 5), (Row{"E", "4.00", "8.00"}))
      << "the second E record replaced the first";
  EXPECT_EQ(GridRow(table, 12), (Row{"WSW", "2.00", "4.00"}));
  for (int row : {1, 4, 6, 11, 13, 16}) {
    EXPECT_EQ(GridRow(table, row)[1], "") << "row " << row << " had no record";
  }
  EXPECT_EQ(form->Wind().SectorAvgSpeed()[4], 4.0f);
  EXPECT_EQ(form->Wind().SectorGustSpeed()[4], 8.0f);
  EXPECT_EQ(form->Wind().SectorAvgSpeed()[11], 2.0f);
  EXPECT_EQ(form->Wind().SectorGustSpeed()[11], 4.0f);
  EXPECT_EQ(form->Wind().SectorAvgSpeed()[0], 0.0f);

  form->UpdateDirectionGrid(16, 1, 1);
  for (int row = 1; row <= 16; ++row) {
    EXPECT_EQ(table.CellText(1, row), "");
    EXPECT_EQ(table.CellText(2, row), "");
  }
  EXPECT_EQ(GridRow(table, 0), (Row{"", "Prům.", "Náraz"}));
  EXPECT_EQ(table.CellText(0, 1), "N");
  EXPECT_EQ(table.CellText(0, 16), "NNW");
  EXPECT_EQ(form->Wind().SectorAvgSpeed()[4], 0.0f);
  EXPECT_EQ(form->Wind().SectorGustSpeed()[11], 0.0f);
  EXPECT_EQ(form->Wind().SectorAvgSpeed()[16], 0.0f);
}

TEST_F(MainFormTest, LabelsUseTheFullStopAndTwoDecimals) {
  form->ShowWindLabels(0.0f, 123.456f, 3.5f, 10.0f, 7.499f);
  EXPECT_EQ(WindLabels(*form), (Row{"0.00", "123.46", "3.50", "10.00", "7.50"}));
  // Non-negative temperatures get a space in front, so they line up with negative ones.
  form->ShowTemperatureLabels(0.0f, -0.25f, 12.5f, -3.456f, -40.0f);
  EXPECT_EQ(TemperatureLabels(*form), (Row{" 0.00", "-0.25", " 12.50", "-3.46", "-40.00"}));
  form->ShowDirectionName(15);
  EXPECT_EQ(DirectionName(), QStringLiteral("NNW"));
  form->ShowDirectionName(16);
  EXPECT_EQ(DirectionName(), QStringLiteral("--"));
}

TEST_F(MainFormTest, ClearingLeavesTheTitlesAndOneEmptyRow) {
  const SystemTime time{2008, 3, 3, 5, 14, 7, 9, 0};
  form->AddGridRow(time, 0, 1, 2, 3, 4, 5, 6, 7);
  EXPECT_EQ(Grid().RowCount(), 2);
  form->AddGridRow(time, 1, 1, 2, 3, 4, 5, 6, 7);
  form->AddGridRow(time, 2, 1, 2, 3, 4, 5, 6, 7);
  ASSERT_EQ(Grid().RowCount(), 4);
  EXPECT_EQ(Grid().CellText(8, 1), "NE");
  EXPECT_EQ(Grid().CellText(8, 3), "N");
  EXPECT_EQ(Grid().CellText(0, 3), "5.3 2008 14:07:09");

  form->AddGridRow(time, 16, 1, 2, 3, 4, 5, 6, 7);
  EXPECT_EQ(Grid().RowCount(), 2);
  EXPECT_EQ(Grid().RowInUse, 0);
  EXPECT_EQ(GridRow(Grid(), 1), Row(9, ""));
  EXPECT_EQ(GridRow(Grid(), 0),
            (Row{"Datum a čas", "Rychlost větru průměr [m/s]", "Náraz větru [m/s]", "Teplota [°C]",
                 "Wind chill průměr [°C]", "Wind chill náraz [°C]", "Beaufort průměr [-]",
                 "Beaufort náraz [-]", "Směr větru [-]"}));
}

// Every record at its own second, so that each row can be told apart.
SystemTime TimeOfRecord(std::size_t i) {
  SystemTime time{2008, 1, 2, 1, 0, 0, 0, 0};
  time.Hour = static_cast<std::uint16_t>(i / 3600);
  time.Minute = static_cast<std::uint16_t>(i / 60 % 60);
  time.Second = static_cast<std::uint16_t>(i % 60);
  return time;
}

TEST_F(MainFormTest, FullStoreDropsTheBottomRowForEveryNewRecord) {
  const std::size_t limit = RecordStore::kLimit;
  for (std::size_t i = 0; i < limit; ++i) {
    form->Core().AddRecord(static_cast<int>(i % 16), true, TimeOfRecord(i), 1, 2, 3, 4, 5, 6, 7);
  }
  ASSERT_EQ(Grid().RowCount(), static_cast<int>(limit) + 1);
  EXPECT_EQ(Grid().CellText(0, static_cast<int>(limit)), DateTimeText(TimeOfRecord(0)));

  for (std::size_t i = limit; i < limit + 3; ++i) {
    form->Core().AddRecord(0, true, TimeOfRecord(i), 1, 2, 3, 4, 5, 6, 7);
    ASSERT_EQ(form->Core().Records().Size(), limit);
    ASSERT_EQ(Grid().RowCount(), static_cast<int>(limit) + 1);
    EXPECT_EQ(Grid().CellText(0, 1), DateTimeText(TimeOfRecord(i)));
    // The bottom row is the oldest record the store still holds.
    EXPECT_EQ(Grid().CellText(0, static_cast<int>(limit)),
              DateTimeText(form->Core().Records()[0].Time));
    EXPECT_EQ(Grid().CellText(0, static_cast<int>(limit)),
              DateTimeText(TimeOfRecord(i - limit + 1)));
  }
}

TEST_F(MainFormTest, DroppingTheOnlyRecordRowLeavesTheEmptyPlaceholder) {
  form->AddGridRow(SystemTime{2008, 1, 2, 1, 0, 0, 0, 0}, 3, 1, 2, 3, 4, 5, 6, 7);
  form->DropOldestGridRow();
  EXPECT_EQ(Grid().RowCount(), 2);
  EXPECT_EQ(Grid().RowInUse, 0);
  EXPECT_EQ(GridRow(Grid(), 1), Row(9, ""));
  EXPECT_EQ(Grid().FixedRows(), 1);

  form->AddGridRow(SystemTime{2008, 1, 2, 1, 0, 0, 1, 0}, 3, 1, 2, 3, 4, 5, 6, 7);
  EXPECT_EQ(Grid().RowCount(), 2);
  EXPECT_EQ(Grid().CellText(0, 1), "1.1 2008 00:00:01");
}

// A report that stands for several (missed reports made up) must leave the window exactly as
// the same rows shown one report at a time: one window gets the jumps, its twin every report.
class ReportRowsTest : public MainFormTest {
 protected:
  struct Window {
    std::unique_ptr<TMainForm> form;
    TAlarmsForm* alarms = nullptr;
    std::filesystem::path log;
  };

  void SetUp() override {
    MainFormTest::SetUp();
    form.reset();
    for (Window* w : {&jumping, &stepping}) {
      w->form = std::make_unique<TMainForm>(
          MainFormServices{hid, clock, ProgramFiles{programDir.Path()}, &messages, &dialogs});
      w->alarms = new TAlarmsForm(clock, sound, w->form->Files(), w->form->Limits(), w->form.get());
      w->form->AttachDialog(w->alarms);
      // Upper temperature limit 10, armed; the reports go from -5 to 19 degrees.
      ClickArrow(&NamedChild<TUpDown>(*w->form, "UpDown_TempAlarmHi"), UpDownButton::Up, 10);
      NamedChild<QPushButton>(*w->form, "Button_TempAlarmHi").click();
      w->log = programDir.Path() / (w == &jumping ? "jumping.csv" : "stepping.csv");
      ASSERT_EQ(w->form->LiveLogFile().Open(w->log, w->log.string()), FileOutcome::Ok);
      w->form->show();
      Decode(*w, 1, 0);  // the first report after a reset is dropped
    }
  }

  void TearDown() override {
    jumping.form.reset();
    stepping.form.reset();
    MainFormTest::TearDown();
  }

  // Report counter with values that vary with variant: speeds, direction and temperature.
  static void Decode(Window& w, std::uint32_t counter, int variant) {
    char avg[8], gust[8], direction[4], temperature[8];
    std::snprintf(avg, sizeof avg, "%05d", 1000 + variant * 377 % 9000);
    std::snprintf(gust, sizeof gust, "%05d", 3000 + variant * 533 % 9000);
    std::snprintf(direction, sizeof direction, "%02d", 1 + variant % 16);
    std::snprintf(temperature, sizeof temperature, "%.1f", variant % 25 - 5.5);
    const SystemTime arrival{2008,
                             12,
                             6,
                             6,
                             9,
                             static_cast<std::uint16_t>(variant / 60 % 60),
                             static_cast<std::uint16_t>(variant % 60),
                             0};
    w.form->Core().DecodePacket(
        FakeHidTransport::MakeReport(counter, avg, gust, direction, temperature), arrival);
  }

  static std::vector<std::string> GridTexts(const TDataStringGrid& grid) {
    std::vector<std::string> cells;
    for (int row = 0; row < grid.RowCount(); ++row) {
      for (int col = 0; col < grid.ColCount(); ++col) cells.push_back(grid.CellText(col, row));
    }
    return cells;
  }

  static std::vector<std::string> Events(const TAlarmsForm& alarms) {
    std::vector<std::string> texts;
    for (int row = 0; row < alarms.Events().rowCount(); ++row) {
      for (int col = 0; col < 4; ++col) {
        texts.push_back(AlarmEventModel::CellText(alarms.Events().At(row), col).toStdString());
      }
    }
    return texts;
  }

  static std::string FileText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }

  void ExpectSameWindows() {
    const TMainForm& a = *jumping.form;
    const TMainForm& b = *stepping.form;
    EXPECT_EQ(a.Core().Records().Size(), b.Core().Records().Size());
    EXPECT_EQ(GridTexts(NamedChild<TDataStringGrid>(a, "DataGrid")),
              GridTexts(NamedChild<TDataStringGrid>(b, "DataGrid")));
    EXPECT_EQ(GridTexts(NamedChild<TDataStringGrid>(a, "StringGrid_WindSpeed")),
              GridTexts(NamedChild<TDataStringGrid>(b, "StringGrid_WindSpeed")));
    EXPECT_EQ(WindLabels(a), WindLabels(b));
    EXPECT_EQ(TemperatureLabels(a), TemperatureLabels(b));
    EXPECT_EQ(NamedChild<QLabel>(a, "StaticText_WindDir").text(),
              NamedChild<QLabel>(b, "StaticText_WindDir").text());
    EXPECT_EQ(Events(*jumping.alarms), Events(*stepping.alarms));
    EXPECT_EQ(FileText(jumping.log), FileText(stepping.log));
    // Everything drawn: charts, thermometer, rose, labels, the grid's visible rows.
    EXPECT_TRUE(jumping.form->grab().toImage() == stepping.form->grab().toImage());
  }

  FakeSoundPlayer sound;
  Window jumping, stepping;
};

TEST_F(ReportRowsTest, MadeUpRowsLeaveTheWindowAsIfEachRowCameAlone) {
  // 400 rows one by one in both: more than the charts' 120 points, alarms on and off.
  std::uint32_t counter = 1;
  for (int variant = 1; variant <= 400; ++variant) {
    ++counter;
    for (Window* w : {&jumping, &stepping}) Decode(*w, counter, variant);
  }
  const auto jump = [&](std::uint32_t rows, int variant) {
    Decode(jumping, counter + rows, variant);
    for (std::uint32_t i = 1; i <= rows; ++i) Decode(stepping, counter + i, variant);
    counter += rows;
  };
  // A few reports missed.
  jump(5, 401);
  ASSERT_EQ(jumping.form->Core().Records().Size(), 405u);
  ASSERT_FALSE(Events(*jumping.alarms).empty());
  ExpectSameWindows();

  // Both up to two rows below the store's limit the same way, then a jump that takes the
  // store past it: the bottom grid rows go as the new ones come.
  const std::uint32_t toNearlyFull = RecordStore::kLimit - 2 - 405;
  for (Window* w : {&jumping, &stepping}) Decode(*w, counter + toNearlyFull, 402);
  counter += toNearlyFull;
  jump(4, 417);
  ASSERT_EQ(jumping.form->Core().Records().Size(), RecordStore::kLimit);
  ASSERT_EQ(NamedChild<TDataStringGrid>(*jumping.form, "DataGrid").RowCount(),
            static_cast<int>(RecordStore::kLimit) + 1);
  ExpectSameWindows();
}

}  // namespace
