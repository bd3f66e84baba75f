#pragma once

#include "core/system_time.h"

// Source of the current local time. The program uses the system clock; tests use a fixed one.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual SystemTime LocalTime() = 0;
};
