#include "alarms/alarm_event_model.h"

#include <algorithm>
#include <array>
#include <utility>

#include "core/c_format.h"

namespace {

const std::array<QString, AlarmEventModel::kColumnCount>& ColumnTitles() {
  static const std::array<QString, AlarmEventModel::kColumnCount> titles = {
      QString::fromUtf8("Datum a čas"), QString::fromUtf8("Typ alarmu"),
      QString::fromUtf8("Nastavená hodnota"), QString::fromUtf8("Signalizována hodnota")};
  return titles;
}

}  // namespace

AlarmEventModel::AlarmEventModel(int capacity, QObject* parent)
    : QAbstractTableModel(parent), capacity_(std::max(capacity, 1)) {}

void AlarmEventModel::Append(AlarmEvent event) {
  const int rows = static_cast<int>(events_.size());
  if (rows < capacity_) {
    beginInsertRows(QModelIndex(), rows, rows);
    events_.push_back(std::move(event));
    endInsertRows();
    return;
  }
  // Full: the oldest event goes and every row now shows the one after it. This is reported
  // as new contents of all rows, not as a removal and an insertion: a view's header walks all
  // its rows for every removed one, which would make each event cost as much as the list.
  events_.pop_front();
  events_.push_back(std::move(event));
  emit dataChanged(index(0, 0), index(rows - 1, kColumnCount - 1), {Qt::DisplayRole});
}

const AlarmEvent& AlarmEventModel::At(int row) const {
  return events_.at(static_cast<std::size_t>(row));
}

QString AlarmEventModel::CellText(const AlarmEvent& event, int column) {
  switch (column) {
    case 0:
      return event.dateTime;
    case 1:
      return event.type;
    case 2:
      return QString::number(event.limit);
    case 3:
      return QString::fromStdString(FormatFixed(static_cast<double>(event.value), 2, 2));
    default:
      return {};
  }
}

int AlarmEventModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(events_.size());
}

int AlarmEventModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant AlarmEventModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) {
    return {};
  }
  return CellText(At(index.row()), index.column());
}

QVariant AlarmEventModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
      section >= kColumnCount) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  return ColumnTitles().at(static_cast<std::size_t>(section));
}
