#include "ui/widgets/data_string_grid_model.h"

#include <algorithm>
#include <utility>

namespace {

const std::any kNoObject;

}  // namespace

DataStringGridModel::DataStringGridModel(QObject* parent) : QAbstractTableModel(parent) {}

int DataStringGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : GridRowCount() - fixedRows_;
}

int DataStringGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : colCount_;
}

QVariant DataStringGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int gridRow = index.row() + fixedRows_;
  if (role == Qt::DisplayRole) return QString::fromStdString(Cell(index.column(), gridRow));
  if (role == Qt::BackgroundRole && index.column() < fixedCols_) return fixedBrush_;
  return {};
}

QVariant DataStringGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || fixedRows_ == 0) return {};
  return QString::fromStdString(Cell(section, 0));
}

void DataStringGridModel::MakePlain(Row& row) const {
  if (!row.record) return;
  row.cells.resize(static_cast<std::size_t>(colCount_));
  for (int col = 0; col < colCount_; ++col) {
    row.cells[static_cast<std::size_t>(col)] = row.record->Text(col);
  }
  row.record.reset();
}

void DataStringGridModel::SetGridRowCount(int rows) {
  rows = std::max(rows, 1);
  const int current = GridRowCount();
  if (rows > current) {
    const bool tell = !InBulkUpdate();
    if (tell) beginInsertRows({}, current - fixedRows_, rows - 1 - fixedRows_);
    for (int i = current; i < rows; ++i) body_.emplace_back();
    if (tell) endInsertRows();
  } else if (rows < current) {
    // With one fixed row and one row left, the header row is that row: the model has none.
    const int firstGone = std::max(rows - fixedRows_, 0);
    const bool modelRowsGo = current - 1 - fixedRows_ >= firstGone && !InBulkUpdate();
    if (modelRowsGo) beginRemoveRows({}, firstGone, current - 1 - fixedRows_);
    body_.resize(static_cast<std::size_t>(rows - 1));
    if (modelRowsGo) endRemoveRows();
  }
}

void DataStringGridModel::SetColCount(int cols) {
  cols = std::max(cols, 1);
  if (cols == colCount_) return;
  beginResetModel();
  // Record rows become texts of the columns they have now, and texts of the columns cut off
  // stay gone when columns are added again.
  const auto fit = [this, cols](Row& row) {
    MakePlain(row);
    if (row.cells.size() > static_cast<std::size_t>(cols)) {
      row.cells.resize(static_cast<std::size_t>(cols));
    }
  };
  fit(title_);
  for (Row& row : body_) fit(row);
  colCount_ = cols;
  endResetModel();
}

void DataStringGridModel::SetFixedRows(int rows) {
  rows = std::clamp(rows, 0, 1);
  if (rows == fixedRows_) return;
  beginResetModel();
  fixedRows_ = rows;
  endResetModel();
}

void DataStringGridModel::SetFixedCols(int cols) {
  cols = std::max(cols, 0);
  if (cols == fixedCols_) return;
  fixedCols_ = cols;
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, colCount_ - 1));
}

std::string DataStringGridModel::Cell(int col, int row) const {
  if (!ContainsRow(row) || col < 0 || col >= colCount_) return {};
  const Row& gridRow = GridRow(row);
  if (gridRow.record) return gridRow.record->Text(col);
  const auto at = static_cast<std::size_t>(col);
  return at < gridRow.cells.size() ? gridRow.cells[at] : std::string();
}

void DataStringGridModel::SetCell(int col, int row, std::string text) {
  if (!ContainsRow(row) || col < 0 || col >= colCount_) return;
  Row& gridRow = GridRow(row);
  MakePlain(gridRow);
  const auto at = static_cast<std::size_t>(col);
  if (at >= gridRow.cells.size()) {
    if (text.empty()) return;
    gridRow.cells.resize(static_cast<std::size_t>(colCount_));
  }
  std::string& cell = gridRow.cells[at];
  if (cell == text) return;
  cell = std::move(text);
  if (InBulkUpdate()) return;
  const int modelRow = ModelRow(row);
  if (modelRow < 0) {
    emit headerDataChanged(Qt::Horizontal, col, col);
  } else {
    const QModelIndex changed = index(modelRow, col);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
  }
}

void DataStringGridModel::SetRecordRow(int row, const GridRecordRow& record) {
  if (!ContainsRow(row)) return;
  Row& gridRow = GridRow(row);
  gridRow.cells = {};
  gridRow.record = record;
  if (InBulkUpdate()) return;
  const int modelRow = ModelRow(row);
  if (modelRow < 0) {
    emit headerDataChanged(Qt::Horizontal, 0, colCount_ - 1);
  } else {
    emit dataChanged(index(modelRow, 0), index(modelRow, colCount_ - 1), {Qt::DisplayRole});
  }
}

const std::any& DataStringGridModel::Object(int row) const {
  return ContainsRow(row) ? GridRow(row).object : kNoObject;
}

void DataStringGridModel::SetObject(int row, std::any object) {
  if (ContainsRow(row)) GridRow(row).object = std::move(object);
}

void DataStringGridModel::MoveLastRowToTop() {
  const int last = GridRowCount() - 1;
  if (last < 2) return;  // fewer than two rows, or the last row already is row 1
  const int from = ModelRow(last);
  const int to = ModelRow(1);
  const bool tell = !InBulkUpdate();
  if (tell) beginMoveRows({}, from, from, {}, to);
  Row moved = std::move(body_.back());
  body_.pop_back();
  body_.push_front(std::move(moved));
  if (tell) endMoveRows();
}

void DataStringGridModel::PutRecordRowUnderTitle(const GridRecordRow& record, bool dropBottomRow) {
  if (body_.empty()) return;
  const bool tell = !InBulkUpdate();
  const int lastModelRow = ModelRow(GridRowCount() - 1);
  Row row;
  if (dropBottomRow) {
    row = std::move(body_.back());
    body_.pop_back();
    row.cells = {};
    row.object.reset();
  } else if (tell) {
    beginInsertRows({}, lastModelRow + 1, lastModelRow + 1);
  }
  row.record = record;
  body_.push_front(std::move(row));
  if (!tell) return;
  if (!dropBottomRow) endInsertRows();
  const int first = std::max(ModelRow(1), 0);
  MovePersistentIndexesDown(first);
  emit dataChanged(index(first, 0), index(rowCount() - 1, colCount_ - 1), {Qt::DisplayRole});
}

void DataStringGridModel::MovePersistentIndexesDown(int firstMoved) {
  const QModelIndexList from = persistentIndexList();
  if (from.isEmpty()) return;  // nothing current or selected: the usual case while capturing
  const int last = rowCount() - 1;
  QModelIndexList to;
  to.reserve(from.size());
  for (const QModelIndex& at : from) {
    // A mark on the dropped row lands on the new bottom row, where the view puts a current
    // cell whose row is removed.
    const int row = at.row() >= firstMoved ? std::min(at.row() + 1, last) : at.row();
    to.append(index(row, at.column()));
  }
  changePersistentIndexList(from, to);
}

void DataStringGridModel::DeleteRow(int row) {
  if (!ContainsRow(row) || GridRowCount() == 1) return;
  if (InBulkUpdate()) {
    if (row == 0) {
      title_ = std::move(body_.front());
      body_.pop_front();
    } else {
      body_.erase(body_.begin() + (row - 1));
    }
    return;
  }
  if (ModelRow(row) < 0) {
    // The header row goes: the first body row becomes the header.
    beginResetModel();
    title_ = std::move(body_.front());
    body_.pop_front();
    endResetModel();
    return;
  }
  beginRemoveRows({}, ModelRow(row), ModelRow(row));
  if (row == 0) {
    title_ = std::move(body_.front());
    body_.pop_front();
  } else {
    body_.erase(body_.begin() + (row - 1));
  }
  endRemoveRows();
}

void DataStringGridModel::BeginBulkUpdate() {
  if (bulkDepth_++ == 0) beginResetModel();
}

void DataStringGridModel::EndBulkUpdate() {
  if (bulkDepth_ > 0 && --bulkDepth_ == 0) endResetModel();
}
