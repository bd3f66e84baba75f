#pragma once

#include "core/clock.h"

// The machine's local time, as the user's time zone shows it.
class SystemClock : public Clock {
 public:
  SystemTime LocalTime() override;
};
