#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonObject>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/measurement_record.h"
#include "core/record_consumer.h"

// What the program knows of the station besides its records.
struct StationHealth {
  bool deviceConnected = false;
  std::optional<bool> brokerConnected;        // none without a broker
  std::int64_t archiveFailures = 0;           // reports that could not be written
  std::optional<std::int64_t> influxBacklog;  // records not yet in InfluxDB; none without it
};

// The station as the web pages see it: the newest record, when the last report came and how many
// records have come. Added after the archive, so that a report's records are announced once they
// are archived.
class LiveStation : public RecordConsumer {
 public:
  using HealthSource = std::function<StationHealth()>;
  using Listener = std::function<void(const QJsonObject& current)>;

  explicit LiveStation(HealthSource health) : health_(std::move(health)) {}

  // listener gets each record of a report, in the form of Current(), when the report ends.
  void SetListener(Listener listener) { listener_ = std::move(listener); }

  void BeginReport(std::int32_t rowCount) override;
  void TakeRecord(const MeasurementRecord& record, const RecordContext& context) override;
  void EndReport() override;

  // The newest record's values as in the MQTT state, and last_report, connected, records.
  QJsonObject Current() const;
  const std::optional<MeasurementRecord>& Latest() const { return latest_; }
  std::uint64_t Records() const { return records_; }
  std::uint64_t MadeUp() const { return madeUp_; }
  // Since the last report; none before the first.
  std::optional<double> SecondsSinceReport() const;
  StationHealth Health() const { return health_(); }

 private:
  QJsonObject CurrentOf(const MeasurementRecord* record) const;

  HealthSource health_;
  Listener listener_;
  std::optional<MeasurementRecord> latest_;
  std::vector<MeasurementRecord> report_;  // the report in progress
  std::uint64_t records_ = 0;
  std::uint64_t madeUp_ = 0;
  QDateTime lastReport_;
  QElapsedTimer sinceReport_;
};
