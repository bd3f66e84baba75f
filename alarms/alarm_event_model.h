#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <deque>

// One row of the event list. The type text is shared between rows of the same limit; the two
// numbers are kept as numbers and formatted when shown.
struct AlarmEvent {
  QString dateTime;
  QString type;
  int limit = 0;
  float value = 0.0F;
};

// The alarms window's event list: rows are appended at the bottom, and once the list is full
// the oldest row goes, so a limit left exceeded for weeks cannot exhaust memory. Appending
// costs the same whatever the number of rows.
class AlarmEventModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int kDefaultCapacity = 100000;
  static constexpr int kColumnCount = 4;

  explicit AlarmEventModel(int capacity = kDefaultCapacity, QObject* parent = nullptr);

  void Append(AlarmEvent event);
  const AlarmEvent& At(int row) const;
  int Capacity() const { return capacity_; }

  // The text of one cell as the list shows it: date and time, type, "%d", "%2.2f".
  static QString CellText(const AlarmEvent& event, int column);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  std::deque<AlarmEvent> events_;
  int capacity_;
};
