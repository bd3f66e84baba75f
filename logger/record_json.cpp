#include "logger/record_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <chrono>

#include "core/direction_sector.h"

namespace {

constexpr char kSupportUrl[] = "https://kelvra.cz/anemometer/";

struct SensorField {
  const char* key;
  const char* name;
  const char* unit;         // null: none
  const char* deviceClass;  // null: Home Assistant has none for it
  const char* stateClass;   // null: not a number Home Assistant keeps statistics of
};

constexpr SensorField kSensorFields[] = {
    {"wind_speed", "Wind speed", "m/s", "wind_speed", "measurement"},
    {"wind_gust", "Wind gust", "m/s", "wind_speed", "measurement"},
    {"wind_direction", "Wind direction", nullptr, "enum", nullptr},
    {"wind_direction_deg", "Wind direction angle", "\u00b0", "wind_direction", "measurement_angle"},
    {"temperature", "Temperature", "\u00b0C", "temperature", "measurement"},
    {"wind_chill", "Wind chill", "\u00b0C", "temperature", "measurement"},
    {"wind_chill_gust", "Wind chill of the gust", "\u00b0C", "temperature", "measurement"},
    {"beaufort", "Beaufort", nullptr, nullptr, "measurement"},
    {"beaufort_gust", "Beaufort of the gust", nullptr, nullptr, "measurement"},
};

QString DiscoveryTopic(const std::string& node, const char* key) {
  return QStringLiteral("homeassistant/sensor/%1/%2/config")
      .arg(QString::fromStdString(node), QLatin1String(key));
}

QJsonArray SectorNames() {
  QJsonArray names;
  for (DirectionSector sector = 0; sector < kSectorCount; ++sector) {
    names.append(QLatin1String(SectorName(sector)));
  }
  return names;
}

// A field the message leaves out, or a sector name that is no compass point, renders as None,
// which Home Assistant takes as an unknown state, without a template warning.
QString ValueTemplate(const SensorField& field, const QJsonArray& sectors) {
  if (QLatin1String(field.key) != QLatin1String("wind_direction")) {
    return QStringLiteral("{{ value_json.%1 | default(none) }}").arg(QLatin1String(field.key));
  }
  QStringList quoted;
  for (const QJsonValue& name : sectors) quoted << u'\'' + name.toString() + u'\'';
  return QStringLiteral("{% set d = value_json.%1 | default('') %}{{ d if d in [%2] else none }}")
      .arg(QLatin1String(field.key), quoted.join(u','));
}

}  // namespace

// Letters and digits stay, '/' becomes '_' (so the default prefix gives kelvra_anemometer), '-'
// becomes "--" and every other byte '-' and two hexadecimal digits: '-' always starts a pair, so
// two prefixes never share a node id. Home Assistant allows only letters, digits, '_' and '-'.
std::string HomeAssistantNodeId(const std::string& prefix) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string id;
  for (const char c : prefix) {
    const auto byte = static_cast<unsigned char>(c);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
      id += c;
    } else if (c == '/') {
      id += '_';
    } else if (c == '-') {
      id += "--";
    } else {
      id += '-';
      id += kHex[byte >> 4];
      id += kHex[byte & 0xf];
    }
  }
  return id;
}

std::vector<RetainedMessage> HomeAssistantDiscovery(const MqttSettings& settings) {
  const std::string node = HomeAssistantNodeId(settings.topicPrefix);
  const QJsonObject device{
      {QLatin1String("identifiers"), QJsonArray{QString::fromStdString(node)}},
      {QLatin1String("name"), QStringLiteral("Kelvra USB Anemometer (%1)")
                                  .arg(QString::fromStdString(settings.topicPrefix))},
      {QLatin1String("manufacturer"), QLatin1String("Kelvra")},
      {QLatin1String("model"), QLatin1String("USB Anemometer")},
      {QLatin1String("sw_version"), QLatin1String(ANEMOMETER_VERSION)},
  };
  const QJsonObject origin{
      {QLatin1String("name"), QLatin1String("kelvra-anemometer-logger")},
      {QLatin1String("sw_version"), QLatin1String(ANEMOMETER_VERSION)},
      {QLatin1String("support_url"), QLatin1String(kSupportUrl)},
  };
  // Whole seconds, rounded up: the state expires no sooner than availability goes offline.
  const auto expireAfter = std::chrono::ceil<std::chrono::seconds>(settings.silence).count();
  const QJsonArray sectors = SectorNames();
  std::vector<RetainedMessage> messages;
  for (const SensorField& field : kSensorFields) {
    QJsonObject config{
        {QLatin1String("name"), QLatin1String(field.name)},
        {QLatin1String("unique_id"), QString::fromStdString(node + "_" + field.key)},
        {QLatin1String("state_topic"), QString::fromStdString(settings.StateTopic())},
        {QLatin1String("value_template"), ValueTemplate(field, sectors)},
        {QLatin1String("availability_topic"), QString::fromStdString(settings.AvailabilityTopic())},
        {QLatin1String("payload_available"), QLatin1String("online")},
        {QLatin1String("payload_not_available"), QLatin1String("offline")},
        {QLatin1String("expire_after"), static_cast<qint64>(expireAfter)},
        {QLatin1String("device"), device},
        {QLatin1String("origin"), origin},
    };
    if (field.unit != nullptr) {
      config.insert(QLatin1String("unit_of_measurement"), QString::fromUtf8(field.unit));
    }
    if (field.deviceClass != nullptr) {
      config.insert(QLatin1String("device_class"), QLatin1String(field.deviceClass));
    }
    if (field.stateClass != nullptr) {
      config.insert(QLatin1String("state_class"), QLatin1String(field.stateClass));
    }
    if (QLatin1String(field.deviceClass) == QLatin1String("enum")) {
      config.insert(QLatin1String("options"), sectors);
    }
    messages.push_back({DiscoveryTopic(node, field.key).toStdString(),
                        QJsonDocument(config).toJson(QJsonDocument::Compact)});
  }
  return messages;
}

std::vector<RetainedMessage> HomeAssistantRemoval(const MqttSettings& settings) {
  const std::string node = HomeAssistantNodeId(settings.topicPrefix);
  std::vector<RetainedMessage> messages;
  for (const SensorField& field : kSensorFields) {
    messages.push_back({DiscoveryTopic(node, field.key).toStdString(), QByteArray()});
  }
  return messages;
}
