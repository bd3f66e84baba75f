#include "archive_tool/wind_units.h"

namespace {

constexpr double kMetresPerNauticalMile = 1852.0;
constexpr double kMetresPerMile = 1609.344;

}  // namespace

double WindUnits::Speed(double metresPerSecond) const {
  switch (speed) {
    case SpeedUnit::KilometresPerHour:
      return metresPerSecond * 3.6;
    case SpeedUnit::Knots:
      return metresPerSecond * 3600.0 / kMetresPerNauticalMile;
    case SpeedUnit::MilesPerHour:
      return metresPerSecond * 3600.0 / kMetresPerMile;
    case SpeedUnit::MetresPerSecond:
      break;
  }
  return metresPerSecond;
}

double WindUnits::Run(double metres) const {
  switch (speed) {
    case SpeedUnit::Knots:
      return metres / kMetresPerNauticalMile;
    case SpeedUnit::MilesPerHour:
      return metres / kMetresPerMile;
    case SpeedUnit::MetresPerSecond:
    case SpeedUnit::KilometresPerHour:
      break;
  }
  return metres / 1000.0;
}

const char* WindUnits::SpeedName() const {
  switch (speed) {
    case SpeedUnit::KilometresPerHour:
      return "km/h";
    case SpeedUnit::Knots:
      return "kn";
    case SpeedUnit::MilesPerHour:
      return "mph";
    case SpeedUnit::MetresPerSecond:
      break;
  }
  return "m/s";
}

const char* WindUnits::RunName() const {
  switch (speed) {
    case SpeedUnit::Knots:
      return "nmi";
    case SpeedUnit::MilesPerHour:
      return "mi";
    case SpeedUnit::MetresPerSecond:
    case SpeedUnit::KilometresPerHour:
      break;
  }
  return "km";
}

std::optional<WindUnits> WindUnitsFromName(std::string_view name) {
  if (name == "ms") return WindUnits{SpeedUnit::MetresPerSecond};
  if (name == "kmh") return WindUnits{SpeedUnit::KilometresPerHour};
  if (name == "kn") return WindUnits{SpeedUnit::Knots};
  if (name == "mph") return WindUnits{SpeedUnit::MilesPerHour};
  return std::nullopt;
}
