#pragma once

#include <QByteArray>
#include <string>
#include <vector>

#include "logger/logger_options.h"
#include "core/measurement_record.h"

// One record as the JSON object of PREFIX/state: time (ISO 8601 local time with its offset),
// wind_speed, wind_gust, wind_direction (the sector name), wind_direction_deg, temperature,
// wind_chill, wind_chill_gust, beaufort, beaufort_gust. A value that is not finite is left out,
// and so is the angle when there is no direction.
QByteArray StateJson(const MeasurementRecord& record);

struct RetainedMessage {
  std::string topic;
  QByteArray payload;
};

// Home Assistant MQTT discovery: one sensor configuration per field of the state, each reading
// its value from the state topic, all on one device named after the topic prefix.
std::vector<RetainedMessage> HomeAssistantDiscovery(const MqttSettings& settings);
