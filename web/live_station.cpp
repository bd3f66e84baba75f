#include "web/live_station.h"

#include "web/state_json.h"

void LiveStation::BeginReport(std::int32_t) { report_.clear(); }

void LiveStation::TakeRecord(const MeasurementRecord& record, const RecordContext& context) {
  latest_ = record;
  ++records_;
  if (context.MadeUp) ++madeUp_;
  report_.push_back(record);
}

void LiveStation::EndReport() {
  lastReport_ = QDateTime::currentDateTime();
  sinceReport_.start();
  if (listener_) {
    for (const MeasurementRecord& record : report_) listener_(CurrentOf(&record));
  }
  report_.clear();
}

std::optional<double> LiveStation::SecondsSinceReport() const {
  if (!sinceReport_.isValid()) return {};
  return static_cast<double>(sinceReport_.elapsed()) / 1000.0;
}

QJsonObject LiveStation::Current() const { return CurrentOf(latest_ ? &*latest_ : nullptr); }

QJsonObject LiveStation::CurrentOf(const MeasurementRecord* record) const {
  QJsonObject current = record != nullptr ? StateObject(*record) : QJsonObject();
  current.insert(QLatin1String("last_report"),
                 lastReport_.isValid() ? QJsonValue(IsoTimeWithOffset(lastReport_)) : QJsonValue());
  current.insert(QLatin1String("connected"), health_().deviceConnected);
  current.insert(QLatin1String("records"), static_cast<qint64>(records_));
  // The station's clock: the page asks for its periods in the station's time, not the browser's.
  current.insert(QLatin1String("now"), IsoTimeWithOffset(QDateTime::currentDateTime()));
  return current;
}
