#pragma once

#include <QString>
#include <QTableView>
#include <any>
#include <string>

class DataStringGridModel;
struct GridRecordRow;

// A string grid with the classic grid's operations: rows and columns numbered from 0, the
// first FixedRows rows (0 or 1) shown as the title row, cell texts, one object slot per row, a
// current row, and the row moving and deletion that the data grid and the calibration editor
// need. Widths and heights are given without the one-pixel grid line, which is added to each
// cell as the classic grid does.
//
// Putting the last row under the title row and cutting the bottom row take constant time, so
// a grid of many thousand rows can take a new top row for every measurement.
class TDataStringGrid : public QTableView {
  Q_OBJECT
 public:
  explicit TDataStringGrid(QWidget* owner);
  ~TDataStringGrid() override;

  // 1 when the first row under the title row holds a record, 0 while it is the empty
  // placeholder that a grid with a title row always has.
  int RowInUse = 0;

  int RowCount() const;
  // At least 1. A count not above FixedRows leaves no fixed row, as the classic grid does.
  void SetRowCount(int rows);
  int ColCount() const;
  void SetColCount(int cols);
  int FixedRows() const;
  void SetFixedRows(int rows);  // 0 or 1
  // Fixed columns are drawn in the button colour.
  int FixedCols() const;
  void SetFixedCols(int cols);

  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int height);
  int DefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int width);  // also resets every column's own width
  int ColWidths(int col) const;
  void SetColWidth(int col, int width);

  // Whole-row selection instead of one cell.
  void SetRowSelect(bool rowSelect);

  QString Cells(int col, int row) const;
  std::string CellText(int col, int row) const;  // UTF-8
  void SetCell(int col, int row, const QString& text);
  void SetCell(int col, int row, std::string utf8Text);
  void SetCell(int col, int row, const char* utf8Text);
  // The row reads as the record's texts (the data grid's nine columns); they are made only
  // when a cell is read, so filling many rows costs no formatting. SetCell on the row later
  // turns it into plain texts first.
  void SetRecordRow(int row, const GridRecordRow& record);

  const std::any& Objects(int row) const;
  void SetObject(int row, std::any object);

  // The current row; FixedRows (or the last row) while no cell is current.
  int Row() const;
  void SetRow(int row);  // ignored for fixed rows and rows outside the grid

  // Moves the last row to row 1, the rows from 1 on one down. Nothing with fewer than 2 rows.
  void MoveLastRowToTop();
  // Puts a record row under the title row, the rows from 1 on one down, dropping the bottom row
  // with dropBottomRow; the selection and current cell stay with their rows' records and the
  // view does not scroll. Takes the same time however many rows the grid holds. Needs at least
  // two rows.
  void PutRecordRowUnderTitle(const GridRecordRow& record, bool dropBottomRow);
  // Lays the view out now when rows were added at the end since the last time, instead of in
  // the event loop's next round after the repaint: one repaint for them, not two.
  void LayOutAddedRows();
  // Removes one row; the rows below move up. The only row of a grid is never removed.
  void DeleteGridRow(int row);

  DataStringGridModel& Model() { return *model_; }

  // Shows many row changes at once: while an instance lives, the view is told nothing; it
  // lays the grid out once when the last one ends.
  class BulkUpdate {
   public:
    explicit BulkUpdate(TDataStringGrid& grid);
    ~BulkUpdate();
    BulkUpdate(const BulkUpdate&) = delete;
    BulkUpdate& operator=(const BulkUpdate&) = delete;

   private:
    DataStringGridModel& model_;
  };

 private:
  void ApplyFixedRows();

  DataStringGridModel* model_;
  bool rowsAdded_ = false;
  int defaultRowHeight_ = 24;
  int defaultColWidth_ = 64;
};
