#include "core/weather.h"

#include <array>
#include <cmath>
#include <limits>

float WindChill(float speed, float temperature) {
  // A negative speed (or no number at all) cannot come from the rotor: it counts as calm
  // rather than giving the power below a negative base.
  if (!(speed > 0.0f)) speed = 0.0f;
  const double kmh = static_cast<double>(speed) * 3.6;
  const auto power = static_cast<float>(std::pow(kmh, 0.16));
  // Evaluated left to right in extended precision, rounded once to float.
  const long double t = temperature;
  const long double p = power;
  const long double index = static_cast<long double>(13.12) + static_cast<long double>(0.6215) * t -
                            static_cast<long double>(11.37) * p +
                            static_cast<long double>(0.3965) * t * p;
  // Absurd temperatures can take the index past float's range; it saturates instead of
  // becoming infinite.
  constexpr long double kFloatMax = std::numeric_limits<float>::max();
  float chill;
  if (index > kFloatMax) {
    chill = std::numeric_limits<float>::max();
  } else if (index < -kFloatMax) {
    chill = std::numeric_limits<float>::lowest();
  } else {
    chill = static_cast<float>(index);
  }
  return chill > temperature ? temperature : chill;
}

float BeaufortNumber(float speed) {
  // Lower bound of each band, in m/s; a speed between two bands belongs to the lower one.
  static constexpr std::array<double, 13> kLowerBounds = {0.0,  0.3,  1.6,  3.4,  5.5,  8.0, 10.8,
                                                          13.9, 17.2, 20.8, 24.5, 28.5, 32.7};
  int number = 0;
  for (int band = 1; band < static_cast<int>(kLowerBounds.size()); ++band) {
    if (static_cast<double>(speed) >= kLowerBounds[static_cast<std::size_t>(band)]) number = band;
  }
  return static_cast<float>(number);
}
