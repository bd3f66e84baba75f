#pragma once

#include "core/record_consumer.h"
#include "logger/mqtt_publisher.h"
#include "logger/record_json.h"

// Publishes every record's state to the broker, retained. While the broker is away the state
// would only be dropped, so it is not even built then.
class StatePublisher : public RecordConsumer {
 public:
  explicit StatePublisher(MqttPublisher& publisher) : publisher_(publisher) {}

  void TakeRecord(const MeasurementRecord& record, const RecordContext&) override {
    if (publisher_.Connected()) publisher_.PublishState(StateJson(record));
  }

 private:
  MqttPublisher& publisher_;
};
