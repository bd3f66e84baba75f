#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <string>
#include <vector>

#include "ui/widgets/data_string_grid.h"
#include "ui/widgets/grid_record_row.h"
#include "ui/widgets/steady_scroll_bar.h"

namespace {

// A grid with a title row and one column whose rows read "title", then the given texts.
class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.SetColCount(2);
    grid.SetFixedCols(0);
    grid.SetRowCount(1);
    grid.SetRowCount(2);
    grid.SetFixedRows(1);
    grid.SetCell(0, 0, "title");
  }

  void Fill(const std::vector<std::string>& texts) {
    grid.SetRowCount(1 + static_cast<int>(texts.size()));
    for (std::size_t i = 0; i < texts.size(); ++i) {
      grid.SetCell(0, static_cast<int>(i) + 1, texts[i]);
    }
  }

  std::vector<std::string> Column() const {
    std::vector<std::string> texts;
    for (int row = 0; row < grid.RowCount(); ++row) texts.push_back(grid.CellText(0, row));
    return texts;
  }

  // What the view shows: the header, then the model's rows.
  std::vector<std::string> Shown() const {
    const QAbstractItemModel* model = grid.model();
    std::vector<std::string> texts;
    if (grid.FixedRows() == 1) {
      texts.push_back(model->headerData(0, Qt::Horizontal).toString().toStdString());
    }
    for (int row = 0; row < model->rowCount(); ++row) {
      texts.push_back(model->index(row, 0).data().toString().toStdString());
    }
    return texts;
  }

  TDataStringGrid grid{nullptr};
};

TEST_F(GridTest, LastRowMovesUnderTheTitleAndTheOthersMoveDown) {
  Fill({"a", "b", "c", "d"});
  grid.MoveLastRowToTop();
  EXPECT_EQ(Column(), (std::vector<std::string>{"title", "d", "a", "b", "c"}));
  EXPECT_EQ(Shown(), Column());
  grid.MoveLastRowToTop();
  EXPECT_EQ(Column(), (std::vector<std::string>{"title", "c", "d", "a", "b"}));
  EXPECT_EQ(Shown(), Column());
}

// A new record row under the title, with and without the bottom row dropped, must look to the
// user as the row moves did (contents, current cell, selection), while the view hears only of
// changed contents and, when growing, of a row added at the end.
TEST(GridRecordRowUnderTitle, LooksLikeMovingTheLastRowUpWithoutMovingRows) {
  const GridRecordRow record{SystemTime{2008, 12, 6, 6, 9, 5, 7, 0}, 4, {1, 2, 3, 4, 5, 6, 7}};
  const auto make = [](TDataStringGrid& grid, int current, bool rowSelect) {
    grid.SetColCount(2);
    grid.SetFixedCols(0);
    grid.SetRowSelect(rowSelect);
    grid.SetRowCount(5);
    grid.SetFixedRows(1);
    for (int row = 0; row < 5; ++row) grid.SetCell(0, row, std::string(1, char('@' + row)));
    if (current > 0) grid.SetRow(current);
  };
  const auto look = [](const TDataStringGrid& grid) {
    std::vector<std::string> texts;
    for (int row = 0; row < grid.RowCount(); ++row) texts.push_back(grid.CellText(0, row));
    for (int row = 0; row < grid.model()->rowCount(); ++row) {
      texts.push_back(grid.model()->index(row, 0).data().toString().toStdString());
    }
    texts.push_back("current " + std::to_string(grid.currentIndex().row()) + "," +
                    std::to_string(grid.currentIndex().column()));
    for (const QModelIndex& index : grid.selectionModel()->selectedIndexes()) {
      texts.push_back("selected " + std::to_string(index.row()) + "," +
                      std::to_string(index.column()));
    }
    return texts;
  };
  for (const bool drop : {false, true}) {
    for (const bool rowSelect : {false, true}) {
      for (const int current : {0, 1, 2, 4}) {
        SCOPED_TRACE(testing::Message()
                     << "drop " << drop << " rowSelect " << rowSelect << " current " << current);
        TDataStringGrid moved(nullptr), put(nullptr);
        make(moved, current, rowSelect);
        make(put, current, rowSelect);
        if (drop) moved.SetRowCount(moved.RowCount() - 1);
        moved.SetRowCount(moved.RowCount() + 1);
        moved.SetRecordRow(moved.RowCount() - 1, record);
        moved.MoveLastRowToTop();

        QSignalSpy movedRows(put.model(), &QAbstractItemModel::rowsMoved);
        QSignalSpy removedRows(put.model(), &QAbstractItemModel::rowsRemoved);
        QSignalSpy insertedRows(put.model(), &QAbstractItemModel::rowsInserted);
        put.PutRecordRowUnderTitle(record, drop);
        EXPECT_EQ(look(put), look(moved));
        EXPECT_EQ(movedRows.count() + removedRows.count(), 0);
        EXPECT_EQ(insertedRows.count(), drop ? 0 : 1);
      }
    }
  }
}

// The grid's scroll bars draw from a picture of themselves; they must look as Qt's own bars do,
// whether the range change moved the handle or not.
TEST(SteadyScrollBarTest, LooksLikeAPlainScrollBar) {
  for (const Qt::Orientation orientation : {Qt::Vertical, Qt::Horizontal}) {
    QScrollBar plain(orientation);
    SteadyScrollBar steady(orientation);
    const QSize size = orientation == Qt::Vertical ? QSize(16, 250) : QSize(444, 14);
    for (const int maximum : {0, 5, 50, 5000, 5001, 17280}) {
      for (QScrollBar* bar : {&plain, static_cast<QScrollBar*>(&steady)}) {
        bar->resize(size);
        bar->setPageStep(12);
        bar->setRange(0, maximum);
        bar->setValue(maximum > 100 ? 3 : 0);
      }
      EXPECT_TRUE(steady.grab().toImage() == plain.grab().toImage()) << orientation << maximum;
    }
  }
}

TEST_F(GridTest, ABulkUpdateTellsTheViewOnceAndLeavesTheSameRowsAsSingleChanges) {
  Fill({"a"});
  QSignalSpy inserted(grid.model(), &QAbstractItemModel::rowsInserted);
  QSignalSpy moved(grid.model(), &QAbstractItemModel::rowsMoved);
  QSignalSpy reset(grid.model(), &QAbstractItemModel::modelReset);
  {
    const TDataStringGrid::BulkUpdate outer(grid);
    const TDataStringGrid::BulkUpdate inner(grid);  // nests
    for (const char* text : {"b", "c", "d"}) {
      grid.SetRowCount(grid.RowCount() + 1);
      grid.SetCell(0, grid.RowCount() - 1, text);
      grid.MoveLastRowToTop();
    }
    grid.SetRowCount(grid.RowCount() - 1);  // the oldest row dropped, as a full store does
    grid.DeleteGridRow(1);
    EXPECT_EQ(reset.count(), 0);
  }
  EXPECT_EQ(inserted.count(), 0);
  EXPECT_EQ(moved.count(), 0);
  EXPECT_EQ(reset.count(), 1);
  EXPECT_EQ(Column(), (std::vector<std::string>{"title", "c", "b"}));
  EXPECT_EQ(Shown(), Column());
}

TEST_F(GridTest, MovingNeedsTwoRowsUnderTheTitle) {
  Fill({"only"});
  grid.MoveLastRowToTop();
  EXPECT_EQ(Column(), (std::vector<std::string>{"title", "only"}));

  grid.SetFixedRows(0);
  grid.SetRowCount(1);
  grid.MoveLastRowToTop();
  EXPECT_EQ(Column(), (std::vector<std::string>{"title"}));
}

TEST_F(GridTest, WithoutFixedRowTheTitleRowIsAnOrdinaryRowThatStaysOnTop) {
  Fill({"a", "b"});
  grid.SetFixedRows(0);
  EXPECT_FALSE(grid.horizontalHeader()->isVisibleTo(&grid));
  grid.MoveLastRowToTop();
  EXPECT_EQ(Column(), (std::vector<std::string>{"title", "b", "a"}));
  ASSERT_EQ(grid.model()->rowCount(), 3);
  EXPECT_EQ(grid.model()->index(0, 0).data().toString(), QStringLiteral("title"));
  EXPECT_EQ(grid.model()->index(1, 0).data().toString(), QStringLiteral("b"));
}

TEST_F(GridTest, RowCountCutsAndAddsAtTheBottom) {
  Fill({"a", "b", "c"});
  grid.SetCell(1, 3, "c2");
  grid.SetRowCount(3);
  EXPECT_EQ(Column(), (std::vector<std::string>{"title", "a", "b"}));
  grid.SetRowCount(5);
  EXPECT_EQ(Column(), (std::vector<std::string>{"title", "a", "b", "", ""}));
  EXPECT_EQ(grid.CellText(1, 3), "") << "a cut row comes back empty";
  EXPECT_EQ(Shown(), Column());
}

TEST_F(GridTest, OneRowLeavesNoFixedRowAndTheTitleBecomesACell) {
  Fill({"a"});
  grid.SetRowCount(1);
  EXPECT_EQ(grid.FixedRows(), 0);
  EXPECT_EQ(grid.RowCount(), 1);
  ASSERT_EQ(grid.model()->rowCount(), 1);
  EXPECT_EQ(grid.model()->index(0, 0).data().toString(), QStringLiteral("title"));

  grid.SetFixedRows(1);
  EXPECT_EQ(grid.FixedRows(), 0) << "a fixed row needs a row under it";
  grid.SetRowCount(2);
  grid.SetFixedRows(1);
  EXPECT_EQ(grid.FixedRows(), 1);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"title", ""}));
}

TEST_F(GridTest, DeletedRowTakesItsObjectAlongAndTheRowsBelowMoveUp) {
  Fill({"a", "b", "c"});
  for (int row = 1; row <= 3; ++row) grid.SetObject(row, row * 10);
  grid.DeleteGridRow(2);
  EXPECT_EQ(Column(), (std::vector<std::string>{"title", "a", "c"}));
  EXPECT_EQ(std::any_cast<int>(grid.Objects(1)), 10);
  EXPECT_EQ(std::any_cast<int>(grid.Objects(2)), 30);
  EXPECT_FALSE(grid.Objects(0).has_value());
  EXPECT_FALSE(grid.Objects(3).has_value()) << "outside the grid";
  EXPECT_EQ(Shown(), Column());
}

TEST_F(GridTest, DeletingTheLastRowUnderTheTitleLeavesNoFixedRow) {
  Fill({"a"});
  grid.DeleteGridRow(1);
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.FixedRows(), 0);
  grid.DeleteGridRow(0);
  EXPECT_EQ(grid.RowCount(), 1) << "the only row stays";
  EXPECT_EQ(grid.CellText(0, 0), "title");
}

TEST_F(GridTest, CurrentRowSkipsTheTitleAndFollowsTheView) {
  Fill({"a", "b", "c"});
  EXPECT_EQ(grid.Row(), 1) << "no current cell yet";
  grid.SetRow(3);
  EXPECT_EQ(grid.Row(), 3);
  EXPECT_EQ(grid.currentIndex().row(), 2);
  grid.SetRow(0);
  EXPECT_EQ(grid.Row(), 3) << "the title row cannot become current";
  grid.SetRow(4);
  EXPECT_EQ(grid.Row(), 3);
}

TEST_F(GridTest, SizesLeaveRoomForTheGridLine) {
  grid.SetDefaultRowHeight(20);
  grid.SetDefaultColWidth(140);
  grid.SetColWidth(0, 110);
  EXPECT_EQ(grid.ColWidths(0), 110);
  EXPECT_EQ(grid.ColWidths(1), 140);
  EXPECT_EQ(grid.columnWidth(0), 111);
  EXPECT_EQ(grid.rowHeight(0), 21);
  EXPECT_EQ(grid.horizontalHeader()->height(), 21);
}

TEST_F(GridTest, TextsOutsideTheGridReadEmptyAndAreNotWritten) {
  grid.SetCell(5, 1, "x");
  grid.SetCell(0, 9, "x");
  EXPECT_EQ(grid.CellText(5, 1), "");
  EXPECT_EQ(grid.CellText(0, 9), "");
  EXPECT_EQ(grid.RowCount(), 2);
}

TEST_F(GridTest, TextsAreKeptAsUtf8AndShownAsUnicode) {
  grid.SetCell(0, 0, QString::fromUtf8("Směr větru [-]"));
  EXPECT_EQ(grid.CellText(0, 0), "Směr větru [-]");
  EXPECT_EQ(grid.model()->headerData(0, Qt::Horizontal).toString(),
            QString::fromUtf8("Směr větru [-]"));
}

}  // namespace
