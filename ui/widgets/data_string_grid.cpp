#include "ui/widgets/data_string_grid.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <utility>

#include "ui/widgets/data_string_grid_model.h"
#include "ui/widgets/steady_scroll_bar.h"

namespace {

// The classic grid draws a one-pixel line after every cell; the view counts it in the cell.
constexpr int kGridLine = 1;

// Cells as the classic grid draws them: the text two pixels from the left edge, cut at the
// cell's end rather than shortened with an ellipsis, so that narrow columns stay readable.
class GridCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QVariant background = index.data(Qt::BackgroundRole);
    if (selected) {
      painter->fillRect(option.rect, option.palette.highlight());
    } else if (background.canConvert<QBrush>()) {
      painter->fillRect(option.rect, background.value<QBrush>());
    }
    painter->save();
    painter->setClipRect(option.rect);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(option.rect.adjusted(2, 0, 0, 0),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
  }
};

// The title row is always one grid row high (SetDefaultRowHeight fixes its height), so the size
// its titles would need is never used: the view asks for it whenever its sections change, and
// measuring every title each time was a good part of building a grid.
class TitleRowHeader : public QHeaderView {
 public:
  explicit TitleRowHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

  QSize sizeHint() const override {
    if (minimumHeight() != maximumHeight()) return QHeaderView::sizeHint();
    return {length(), height()};
  }
};

}  // namespace

TDataStringGrid::TDataStringGrid(QWidget* owner)
    : QTableView(owner), model_(new DataStringGridModel(this)) {
  setHorizontalHeader(new TitleRowHeader(this));
  // Neither header is measured for the model: the row numbers are hidden, the title row fixed.
  verticalHeader()->hide();
  SetDefaultRowHeight(defaultRowHeight_);
  model_->SetColCount(5);
  model_->SetGridRowCount(5);
  model_->SetFixedRows(1);
  model_->SetFixedCols(1);
  model_->SetFixedBrush(palette().brush(QPalette::Button));
  setModel(model_);
  setItemDelegate(new GridCellDelegate(this));
  setVerticalScrollBar(new SteadyScrollBar(Qt::Vertical, this));
  setHorizontalScrollBar(new SteadyScrollBar(Qt::Horizontal, this));

  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setTabKeyNavigation(false);

  QHeaderView* rows = verticalHeader();
  rows->setMinimumSectionSize(0);
  rows->setSectionResizeMode(QHeaderView::Fixed);
  QHeaderView* title = horizontalHeader();
  title->setMinimumSectionSize(0);
  title->setSectionResizeMode(QHeaderView::Fixed);
  title->setSectionsClickable(false);
  title->setHighlightSections(false);
  title->setStretchLastSection(false);
  title->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  SetDefaultColWidth(defaultColWidth_);
  ApplyFixedRows();
}

TDataStringGrid::~TDataStringGrid() = default;

int TDataStringGrid::RowCount() const { return model_->GridRowCount(); }

void TDataStringGrid::SetRowCount(int rows) {
  rows = std::max(rows, 1);
  if (rows <= FixedRows()) {
    model_->SetFixedRows(rows - 1);
    ApplyFixedRows();
  }
  model_->SetGridRowCount(rows);
}

int TDataStringGrid::ColCount() const { return model_->ColCount(); }

void TDataStringGrid::SetColCount(int cols) {
  model_->SetColCount(cols);
  SetDefaultColWidth(defaultColWidth_);
}

int TDataStringGrid::FixedRows() const { return model_->FixedRows(); }

void TDataStringGrid::SetFixedRows(int rows) {
  rows = std::clamp(rows, 0, 1);
  if (rows >= RowCount()) return;  // a fixed row needs a row under it
  model_->SetFixedRows(rows);
  ApplyFixedRows();
}

int TDataStringGrid::FixedCols() const { return model_->FixedCols(); }

void TDataStringGrid::SetFixedCols(int cols) { model_->SetFixedCols(cols); }

void TDataStringGrid::SetDefaultRowHeight(int height) {
  defaultRowHeight_ = std::max(height, 0);
  verticalHeader()->setDefaultSectionSize(defaultRowHeight_ + kGridLine);
  horizontalHeader()->setFixedHeight(defaultRowHeight_ + kGridLine);
}

void TDataStringGrid::SetDefaultColWidth(int width) {
  defaultColWidth_ = std::max(width, 0);
  horizontalHeader()->setDefaultSectionSize(defaultColWidth_ + kGridLine);
  for (int col = 0; col < ColCount(); ++col) setColumnWidth(col, defaultColWidth_ + kGridLine);
}

int TDataStringGrid::ColWidths(int col) const { return columnWidth(col) - kGridLine; }

void TDataStringGrid::SetColWidth(int col, int width) {
  setColumnWidth(col, std::max(width, 0) + kGridLine);
}

void TDataStringGrid::SetRowSelect(bool rowSelect) {
  setSelectionBehavior(rowSelect ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

QString TDataStringGrid::Cells(int col, int row) const {
  return QString::fromStdString(model_->Cell(col, row));
}

std::string TDataStringGrid::CellText(int col, int row) const { return model_->Cell(col, row); }

void TDataStringGrid::SetCell(int col, int row, const QString& text) {
  model_->SetCell(col, row, text.toStdString());
}

void TDataStringGrid::SetCell(int col, int row, std::string utf8Text) {
  model_->SetCell(col, row, std::move(utf8Text));
}

void TDataStringGrid::SetCell(int col, int row, const char* utf8Text) {
  model_->SetCell(col, row, std::string(utf8Text));
}

void TDataStringGrid::SetRecordRow(int row, const GridRecordRow& record) {
  model_->SetRecordRow(row, record);
}

const std::any& TDataStringGrid::Objects(int row) const { return model_->Object(row); }

void TDataStringGrid::SetObject(int row, std::any object) {
  model_->SetObject(row, std::move(object));
}

int TDataStringGrid::Row() const {
  const QModelIndex current = currentIndex();
  if (current.isValid()) return current.row() + FixedRows();
  return std::min(FixedRows(), RowCount() - 1);
}

void TDataStringGrid::SetRow(int row) {
  if (row < FixedRows() || row >= RowCount()) return;
  const QModelIndex current = currentIndex();
  const int col = current.isValid() ? current.column() : std::min(FixedCols(), ColCount() - 1);
  setCurrentIndex(model_->index(model_->ModelRow(row), col));
}

void TDataStringGrid::MoveLastRowToTop() { model_->MoveLastRowToTop(); }

void TDataStringGrid::PutRecordRowUnderTitle(const GridRecordRow& record, bool dropBottomRow) {
  if (RowCount() < 2) return;
  model_->PutRecordRowUnderTitle(record, dropBottomRow);
  if (!dropBottomRow) rowsAdded_ = true;
}

void TDataStringGrid::LayOutAddedRows() {
  if (!rowsAdded_) return;
  rowsAdded_ = false;
  if (isVisible()) doItemsLayout();
}

void TDataStringGrid::DeleteGridRow(int row) {
  model_->DeleteRow(row);
  if (RowCount() <= FixedRows()) {
    model_->SetFixedRows(RowCount() - 1);
    ApplyFixedRows();
  }
}

void TDataStringGrid::ApplyFixedRows() { horizontalHeader()->setVisible(FixedRows() > 0); }

TDataStringGrid::BulkUpdate::BulkUpdate(TDataStringGrid& grid) : model_(grid.Model()) {
  model_.BeginBulkUpdate();
}

TDataStringGrid::BulkUpdate::~BulkUpdate() { model_.EndBulkUpdate(); }
