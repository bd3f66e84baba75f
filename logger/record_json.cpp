#include "logger/record_json.h"

#include <QDate>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTime>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "core/direction_sector.h"

namespace {

constexpr double kDegreesPerSector = 22.5;

// The float's shortest decimal form as a double, so that 3.2f is published as 3.2 and not as
// 3.2000000476837158.
double ShortestDouble(float value) {
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text - 1, value);
  *written.ptr = '\0';
  return std::strtod(text, nullptr);
}

void PutIfFinite(QJsonObject& object, const char* key, float value) {
  if (std::isfinite(value)) object.insert(QLatin1String(key), ShortestDouble(value));
}

// "2026-12-07T11:45:03+01:00": the record's local time and the offset the zone had then.
QString LocalIsoTime(const SystemTime& time) {
  const QDateTime local(QDate(time.Year, time.Month, time.Day),
                        QTime(time.Hour, time.Minute, time.Second), Qt::LocalTime);
  const int offset = local.offsetFromUtc();
  const int minutes = std::abs(offset) / 60;
  return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
         QStringLiteral("%1%2:%3")
             .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
             .arg(minutes / 60, 2, 10, QLatin1Char('0'))
             .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

struct SensorField {
  const char* key;
  const char* name;
  const char* unit;         // null: none
  const char* deviceClass;  // null: Home Assistant has none for it
  bool measurement;         // a number with a state class
};

constexpr SensorField kSensorFields[] = {
    {"wind_speed", "Wind speed", "m/s", "wind_speed", true},
    {"wind_gust", "Wind gust", "m/s", "wind_speed", true},
    {"wind_direction", "Wind direction", nullptr, nullptr, false},
    {"wind_direction_deg", "Wind direction angle", "\u00b0", nullptr, false},
    {"temperature", "Temperature", "\u00b0C", "temperature", true},
    {"wind_chill", "Wind chill", "\u00b0C", "temperature", true},
    {"wind_chill_gust", "Wind chill of the gust", "\u00b0C", "temperature", true},
    {"beaufort", "Beaufort", nullptr, nullptr, true},
    {"beaufort_gust", "Beaufort of the gust", nullptr, nullptr, true},
};

// Home Assistant's node and object identifiers allow letters, digits, '_' and '-'.
std::string NodeId(const std::string& prefix) {
  std::string id;
  for (const char c : prefix) {
    const bool plain =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    id += plain ? c : '_';
  }
  return id;
}

}  // namespace

QByteArray StateJson(const MeasurementRecord& record) {
  QJsonObject state;
  state.insert(QLatin1String("time"), LocalIsoTime(record.Time));
  PutIfFinite(state, "wind_speed", record.AvgSpeed);
  PutIfFinite(state, "wind_gust", record.GustSpeed);
  state.insert(QLatin1String("wind_direction"), QLatin1String(SectorName(record.Sector)));
  if (record.Sector >= 0 && record.Sector < kSectorCount) {
    state.insert(QLatin1String("wind_direction_deg"), record.Sector * kDegreesPerSector);
  }
  PutIfFinite(state, "temperature", record.Temperature);
  PutIfFinite(state, "wind_chill", record.WindChillAvg);
  PutIfFinite(state, "wind_chill_gust", record.WindChillGust);
  PutIfFinite(state, "beaufort", record.BeaufortAvg);
  PutIfFinite(state, "beaufort_gust", record.BeaufortGust);
  return QJsonDocument(state).toJson(QJsonDocument::Compact);
}

std::vector<RetainedMessage> HomeAssistantDiscovery(const MqttSettings& settings) {
  const std::string node = NodeId(settings.topicPrefix);
  const QJsonObject device{
      {QLatin1String("identifiers"), QJsonArray{QString::fromStdString(node)}},
      {QLatin1String("name"), QStringLiteral("Kelvra USB Anemometer (%1)")
                                  .arg(QString::fromStdString(settings.topicPrefix))},
      {QLatin1String("manufacturer"), QLatin1String("Kelvra")},
      {QLatin1String("model"), QLatin1String("USB Anemometer")},
      {QLatin1String("sw_version"), QLatin1String(ANEMOMETER_VERSION)},
  };
  std::vector<RetainedMessage> messages;
  for (const SensorField& field : kSensorFields) {
    QJsonObject config{
        {QLatin1String("name"), QLatin1String(field.name)},
        {QLatin1String("unique_id"), QString::fromStdString(node + "_" + field.key)},
        {QLatin1String("state_topic"), QString::fromStdString(settings.StateTopic())},
        {QLatin1String("value_template"),
         QStringLiteral("{{ value_json.%1 }}").arg(QLatin1String(field.key))},
        {QLatin1String("availability_topic"), QString::fromStdString(settings.AvailabilityTopic())},
        {QLatin1String("payload_available"), QLatin1String("online")},
        {QLatin1String("payload_not_available"), QLatin1String("offline")},
        {QLatin1String("device"), device},
    };
    if (field.unit != nullptr) {
      config.insert(QLatin1String("unit_of_measurement"), QString::fromUtf8(field.unit));
    }
    if (field.deviceClass != nullptr) {
      config.insert(QLatin1String("device_class"), QLatin1String(field.deviceClass));
    }
    if (field.measurement)
      config.insert(QLatin1String("state_class"), QLatin1String("measurement"));
    messages.push_back({"homeassistant/sensor/" + node + "/" + field.key + "/config",
                        QJsonDocument(config).toJson(QJsonDocument::Compact)});
  }
  return messages;
}
