#include "web/metrics_text.h"

#include <cmath>
#include <optional>
#include <string>

#include "web/live_station.h"

namespace {

void Put(QByteArray& text, const char* name, const char* type, const char* help,
         std::optional<double> value) {
  if (!value || !std::isfinite(*value)) return;
  const QByteArray full = QByteArray("kelvra_anemometer_") + name;
  text += "# HELP " + full + ' ' + help + "\n# TYPE " + full + ' ' + type + '\n' + full + ' ' +
          QByteArray::number(*value, 'g', 10) + '\n';
}

}  // namespace

QByteArray MetricsText(const LiveStation& live) {
  const StationHealth health = live.Health();
  const std::optional<MeasurementRecord>& record = live.Latest();
  const auto Of = [&record](float MeasurementRecord::*field) -> std::optional<double> {
    if (!record) return std::nullopt;
    return static_cast<double>((*record).*field);
  };
  std::optional<double> direction;
  if (record && record->Sector >= 0 && record->Sector < 16) direction = record->Sector * 22.5;
  QByteArray text;
  Put(text, "wind_speed_meters_per_second", "gauge", "Average wind speed of the newest record.",
      Of(&MeasurementRecord::AvgSpeed));
  Put(text, "wind_gust_meters_per_second", "gauge", "Gust speed of the newest record.",
      Of(&MeasurementRecord::GustSpeed));
  Put(text, "wind_direction_degrees", "gauge",
      "Wind direction of the newest record, degrees clockwise from north.", direction);
  Put(text, "temperature_celsius", "gauge", "Temperature of the newest record.",
      Of(&MeasurementRecord::Temperature));
  Put(text, "wind_chill_celsius", "gauge", "Wind chill of the newest record's average speed.",
      Of(&MeasurementRecord::WindChillAvg));
  Put(text, "records_captured_total", "counter", "Records captured since the logger started.",
      static_cast<double>(live.Records()));
  Put(text, "reports_made_up_total", "counter",
      "Records made up for reports the device sent but that never arrived.",
      static_cast<double>(live.MadeUp()));
  Put(text, "device_connected", "gauge", "1 while the anemometer is being read.",
      health.deviceConnected ? 1.0 : 0.0);
  Put(text, "seconds_since_last_report", "gauge", "Seconds since the device's last report.",
      live.SecondsSinceReport());
  if (health.brokerConnected) {
    Put(text, "broker_connected", "gauge", "1 while the MQTT broker is connected.",
        *health.brokerConnected ? 1.0 : 0.0);
  }
  Put(text, "archive_write_failures_total", "counter",
      "Reports that could not be written to the station archive.",
      static_cast<double>(health.archiveFailures));
  if (health.influxBacklog) {
    Put(text, "influx_backlog_records", "gauge",
        "Archived records not yet acknowledged by InfluxDB or VictoriaMetrics.",
        static_cast<double>(*health.influxBacklog));
  }
  return text;
}
