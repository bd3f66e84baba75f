#pragma once

#include <functional>
#include <utility>

#include "core/record_consumer.h"

// A consumer that only takes records, through a function: for a program that routes records to
// one of its own operations (the window's alarm check and live log).
class RecordFunction : public RecordConsumer {
 public:
  using Take = std::function<void(const MeasurementRecord&, const RecordContext&)>;

  explicit RecordFunction(Take take) : take_(std::move(take)) {}

  void TakeRecord(const MeasurementRecord& record, const RecordContext& context) override {
    take_(record, context);
  }

 private:
  Take take_;
};
