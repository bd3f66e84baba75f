#pragma once

#include "core/clock.h"

// A clock that always tells the time it was set to.
class FixedClock : public Clock {
 public:
  explicit FixedClock(SystemTime time = {}) : time_(time) {}
  SystemTime LocalTime() override { return time_; }
  void Set(const SystemTime& time) { time_ = time; }

 private:
  SystemTime time_;
};
