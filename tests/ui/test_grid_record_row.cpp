#include <gtest/gtest.h>

#include <QSignalSpy>
#include <cmath>
#include <string>
#include <vector>

#include "core/c_format.h"
#include "core/date_time_text.h"
#include "ui/widgets/data_string_grid.h"
#include "ui/widgets/grid_record_row.h"

namespace {

GridRecordRow Record(float first, DirectionSector sector) {
  GridRecordRow record;
  record.Time = SystemTime{2008, 12, 6, 6, 9, 5, 7, 0};
  record.Sector = sector;
  // Rounding, a negative value, a value wider than the field and no number.
  record.Values = {first, 2.005f, -0.004f, -12.5f, 123456.789f, 0.0f, std::nanf("")};
  return record;
}

// The texts the data grid had when every cell was formatted as the row was added.
std::vector<std::string> FormattedTexts(const GridRecordRow& record) {
  std::vector<std::string> texts{DateTimeText(record.Time)};
  for (float value : record.Values) texts.push_back(FormatFixed(value, 2, 2));
  texts.push_back(SectorName(record.Sector));
  return texts;
}

// A data grid: nine columns under a title row.
class RecordRowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.SetColCount(GridRecordRow::kColumns);
    grid.SetFixedCols(0);
    grid.SetRowCount(2);
    grid.SetFixedRows(1);
    for (int col = 0; col < grid.ColCount(); ++col) {
      grid.SetCell(col, 0, "t" + std::to_string(col));
    }
  }

  std::vector<std::string> Texts(int row) const {
    std::vector<std::string> texts;
    for (int col = 0; col < grid.ColCount(); ++col) texts.push_back(grid.CellText(col, row));
    return texts;
  }

  std::vector<std::string> Shown(int row) const {
    std::vector<std::string> texts;
    const int modelRow = row - grid.FixedRows();
    for (int col = 0; col < grid.ColCount(); ++col) {
      texts.push_back(grid.model()->index(modelRow, col).data().toString().toStdString());
    }
    return texts;
  }

  TDataStringGrid grid{nullptr};
};

TEST(GridRecordRowTest, TextsAreTheFormattedValues) {
  const GridRecordRow record = Record(3.14159f, 5);
  EXPECT_EQ(record.Text(0), "6.12 2008 09:05:07");
  EXPECT_EQ(record.Text(1), "3.14");
  EXPECT_EQ(record.Text(3), "-0.00");
  EXPECT_EQ(record.Text(5), "123456.79");
  EXPECT_EQ(record.Text(8), "ESE");
  EXPECT_EQ(record.Text(9), "");
  EXPECT_EQ(Record(0, kNoDirection).Text(8), "--");
}

TEST_F(RecordRowTest, ARecordRowReadsAndShowsTheSameTextsAsAFormattedRow) {
  grid.SetRowCount(3);
  const GridRecordRow record = Record(7.5f, 15);
  const std::vector<std::string> formatted = FormattedTexts(record);
  for (int col = 0; col < grid.ColCount(); ++col) {
    grid.SetCell(col, 1, formatted[static_cast<std::size_t>(col)]);
  }
  grid.SetRecordRow(2, record);
  EXPECT_EQ(Texts(2), formatted);
  EXPECT_EQ(Texts(2), Texts(1));
  EXPECT_EQ(Shown(2), formatted);
  EXPECT_EQ(grid.Cells(8, 2), QStringLiteral("NNW"));
  EXPECT_EQ(grid.CellText(9, 2), "") << "outside the grid";
}

TEST_F(RecordRowTest, RecordRowsMoveAndAreCutLikeRowsOfTexts) {
  {
    const TDataStringGrid::BulkUpdate bulk(grid);
    grid.SetRecordRow(1, Record(1, 0));
    grid.RowInUse = 1;
    for (float first : {2.0f, 3.0f}) {
      grid.SetRowCount(grid.RowCount() + 1);
      grid.SetRecordRow(grid.RowCount() - 1, Record(first, 0));
      grid.MoveLastRowToTop();
    }
  }
  ASSERT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(grid.CellText(1, 1), "3.00");
  EXPECT_EQ(grid.CellText(1, 2), "2.00");
  EXPECT_EQ(grid.CellText(1, 3), "1.00");
  EXPECT_EQ(grid.CellText(0, 0), "t0") << "the title row keeps its texts";

  grid.SetRowCount(3);
  grid.SetRowCount(4);
  EXPECT_EQ(Texts(3), std::vector<std::string>(9, "")) << "a cut row comes back empty";
}

TEST_F(RecordRowTest, WritingACellOfARecordRowKeepsTheOtherTexts) {
  const GridRecordRow record = Record(4.25f, 2);
  grid.SetRecordRow(1, record);
  QSignalSpy changed(grid.model(), &QAbstractItemModel::dataChanged);
  grid.SetCell(3, 1, "x");
  std::vector<std::string> expected = FormattedTexts(record);
  expected[3] = "x";
  EXPECT_EQ(Texts(1), expected);
  EXPECT_EQ(Shown(1), expected);
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>(), grid.model()->index(0, 3));

  grid.SetCell(4, 1, expected[4]);
  EXPECT_EQ(changed.count(), 1) << "the same text is no change";

  for (int col = 0; col < grid.ColCount(); ++col) grid.SetCell(col, 1, "");
  EXPECT_EQ(Texts(1), std::vector<std::string>(9, ""));
}

TEST_F(RecordRowTest, ARecordRowTellsTheViewItChanged) {
  QSignalSpy changed(grid.model(), &QAbstractItemModel::dataChanged);
  grid.SetRecordRow(1, Record(1, 0));
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>(), grid.model()->index(0, 0));
  EXPECT_EQ(changed.at(0).at(1).value<QModelIndex>(), grid.model()->index(0, 8));
}

TEST_F(RecordRowTest, ColumnsCutOffStayEmptyWhenAddedAgain) {
  const GridRecordRow record = Record(1, 4);
  grid.SetRecordRow(1, record);
  grid.SetColCount(3);
  const std::vector<std::string> formatted = FormattedTexts(record);
  EXPECT_EQ(Texts(1), std::vector<std::string>(formatted.begin(), formatted.begin() + 3));
  grid.SetColCount(9);
  EXPECT_EQ(grid.CellText(2, 1), formatted[2]);
  EXPECT_EQ(grid.CellText(8, 1), "");
  EXPECT_EQ(grid.CellText(8, 0), "");
}

}  // namespace
