#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <vector>

#include "logger/logger_options.h"
#include "web/state_json.h"

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
