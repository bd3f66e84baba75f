#pragma once

#include <QAbstractTableModel>
#include <QBrush>
#include <any>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/widgets/grid_record_row.h"

// The rows of a TDataStringGrid. Grid row 0 is kept apart from the others so that a row can
// be put right under it, and the bottom row taken away, in constant time whatever the grid
// holds. With one fixed row, grid row 0 is the view's header and grid row r is model row
// r - 1; without fixed rows grid and model rows are the same.
//
// Cell texts are kept as UTF-8: short numbers fit std::string's inline buffer. A row holds
// either its texts or a record (GridRecordRow) whose texts are made only when a cell is read,
// which keeps a data grid of many thousand rows small and quick to fill: the view reads only
// the rows it shows. Writing a cell of a record row first turns it into texts.
class DataStringGridModel : public QAbstractTableModel {
 public:
  explicit DataStringGridModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  int GridRowCount() const { return 1 + static_cast<int>(body_.size()); }
  // At least one row; new rows are empty.
  void SetGridRowCount(int rows);
  int ColCount() const { return colCount_; }
  void SetColCount(int cols);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int rows);  // 0 or 1
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int cols);
  void SetFixedBrush(const QBrush& brush) { fixedBrush_ = brush; }

  // Texts outside the grid read as empty; writes outside it are ignored.
  std::string Cell(int col, int row) const;
  void SetCell(int col, int row, std::string text);
  // The row's cells read as the record's texts from now on.
  void SetRecordRow(int row, const GridRecordRow& record);

  const std::any& Object(int row) const;
  void SetObject(int row, std::any object);

  void MoveLastRowToTop();
  void DeleteRow(int row);
  // A new row 1 holding record, the rows from 1 on one down; with dropBottomRow the bottom row
  // goes, so the row count stays. Views hear of a changed content (and of one row added at the
  // end), not of moved rows: a view's cost does not grow with the rows it holds. Needs a row
  // under the title row.
  void PutRecordRowUnderTitle(const GridRecordRow& record, bool dropBottomRow);

  // Many row changes in a row (a whole data file loaded): the views hear of them once, as a
  // reset at the end, instead of relaying out the grid for every row. Calls nest.
  void BeginBulkUpdate();
  void EndBulkUpdate();

  // The model row of a grid row (-1 for the header row).
  int ModelRow(int gridRow) const { return gridRow - fixedRows_; }

 private:
  // Without a record, cells past the end of `cells` read as empty, so a new row holds none.
  struct Row {
    std::vector<std::string> cells;
    std::optional<GridRecordRow> record;
    std::any object;
  };

  bool ContainsRow(int row) const { return row >= 0 && row < GridRowCount(); }
  Row& GridRow(int row) { return row == 0 ? title_ : body_[static_cast<std::size_t>(row - 1)]; }
  const Row& GridRow(int row) const {
    return row == 0 ? title_ : body_[static_cast<std::size_t>(row - 1)];
  }
  // The current cell and the selection (the views' persistent indexes) follow their rows one
  // down from firstMoved, as a row move would carry them, without telling the views anything
  // else: a view told of a new current cell would scroll to it.
  void MovePersistentIndexesDown(int firstMoved);
  // A record row becomes a row of texts, as many as the grid has columns.
  void MakePlain(Row& row) const;

  bool InBulkUpdate() const { return bulkDepth_ > 0; }

  Row title_;
  std::deque<Row> body_;
  int bulkDepth_ = 0;
  int colCount_ = 0;
  int fixedRows_ = 0;
  int fixedCols_ = 0;
  QBrush fixedBrush_;
};
