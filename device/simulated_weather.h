#pragma once

#include <array>
#include <cstdint>
#include <random>

#include "core/packet.h"

// The frequency in mHz at which the simulated cup rotor turns in a wind of speed m/s. The rotor
// follows the factory calibration (the default calibration table, about 2050 to 2400 mHz per
// m/s), so the program's default table reads the speed back.
std::int32_t SimulatedFrequencyFromSpeed(double speed);

// The weather the simulated anemometer measures, one report per call: a mean wind that wanders
// slowly between 2 and 12 m/s with gusts of 1.2 to 2 times the mean, a wind vane that veers
// slowly and now and then jumps a sector, and a slowly drifting temperature. The same seed gives
// the same reports.
class SimulatedWeather {
 public:
  explicit SimulatedWeather(std::uint32_t seed);

  // The next 22-byte report, report identifier 0, counter 1 for the first.
  Packet NextReport();

 private:
  double Normal();
  double Uniform(double low, double high);

  std::mt19937 Random;
  std::uint32_t Counter = 0;
  double MeanSpeed = 0.0;         // m/s
  double Direction = 0.0;         // in sectors, 0 <= Direction < 16; sector 0 is code 1 (north)
  double Temperature = 0.0;       // degrees C
  double UsualTemperature = 0.0;  // where the temperature drifts back to
};
