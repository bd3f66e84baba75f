#pragma once

#include <optional>
#include <string>
#include <string_view>

// The units a report or an export gives speeds and wind run in. The archive keeps m/s and metres.
enum class SpeedUnit { MetresPerSecond, KilometresPerHour, Knots, MilesPerHour };

struct WindUnits {
  SpeedUnit speed = SpeedUnit::MetresPerSecond;

  double Speed(double metresPerSecond) const;
  // Wind run in km for m/s and km/h, nautical miles for knots, miles for mph.
  double Run(double metres) const;
  const char* SpeedName() const;  // "m/s", "km/h", "kn", "mph"
  const char* RunName() const;    // "km", "nmi", "mi"
};

// "ms", "kmh", "kn" or "mph", as --units takes them; nothing for anything else.
std::optional<WindUnits> WindUnitsFromName(std::string_view name);
