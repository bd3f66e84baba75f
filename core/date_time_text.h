#pragma once

#include <string>

#include "core/system_time.h"

// "%d.%d %d %02d:%02d:%02d" with day, month, year, hour, minute, second: "6.12 2008 09:05:07".
std::string DateTimeText(const SystemTime& time);
