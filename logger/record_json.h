#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <vector>

#include "core/measurement_record.h"
#include "logger/logger_options.h"

// One record as the JSON object of PREFIX/state: time (ISO 8601 local time with its offset),
// wind_speed, wind_gust, wind_direction (the sector name), wind_direction_deg, temperature,
// wind_chill, wind_chill_gust, beaufort, beaufort_gust. A value that is not finite is left out,
// and so is the angle when there is no direction.
QByteArray StateJson(const MeasurementRecord& record);

// "2026-12-07T11:45:03+01:00": the local time and the offset its zone had then.
QString LocalIsoTime(const SystemTime& time);

struct RetainedMessage {
  std::string topic;
  QByteArray payload;
};

// The topic prefix as Home Assistant's node id: letters, digits, '_' and '-' only, and a
// different id for every prefix.
std::string HomeAssistantNodeId(const std::string& prefix);

// Home Assistant MQTT discovery: one sensor configuration per field of the state, each reading
// its value from the state topic, all on one device named after the topic prefix. A field the
// state leaves out makes its sensor unknown; one not updated for settings.silence expires.
std::vector<RetainedMessage> HomeAssistantDiscovery(const MqttSettings& settings);

// An empty retained message on each of those configuration topics: Home Assistant removes the
// sensors, and the broker forgets the configurations.
std::vector<RetainedMessage> HomeAssistantRemoval(const MqttSettings& settings);
