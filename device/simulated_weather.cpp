#include "device/simulated_weather.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/packet_encoder.h"

namespace {

struct CalibrationPoint {
  double Frequency;  // mHz
  double Constant;   // mHz per m/s
};

// The factory calibration of the rotor; between points the constant changes linearly with the
// frequency.
constexpr std::array<CalibrationPoint, 9> kRotorCalibration{{
    {2194.0, 2194.0},
    {4093.0, 2046.5},
    {12149.0, 2169.46435546875},
    {16448.0, 2222.70263671875},
    {22717.0, 2271.699951171875},
    {30771.0, 2313.60888671875},
    {37456.0, 2341.0},
    {41472.0, 2383.4482421875},
    {45824.0, 2411.78955078125},
}};

constexpr double kLowestMeanSpeed = 2.0;
constexpr double kHighestMeanSpeed = 12.0;
constexpr double kUsualMeanSpeed = 7.0;
constexpr double kLowestTemperature = kLowestPacketTemperature;  // the field holds no lower
constexpr double kHighestTemperature = 35.0;
constexpr int kSectors = 16;

}  // namespace

std::int32_t SimulatedFrequencyFromSpeed(double speed) {
  const CalibrationPoint& first = kRotorCalibration.front();
  if (speed <= first.Frequency / first.Constant) {
    return static_cast<std::int32_t>(std::lround(std::max(speed, 0.0) * first.Constant));
  }
  for (std::size_t i = 1; i < kRotorCalibration.size(); ++i) {
    const CalibrationPoint& low = kRotorCalibration[i - 1];
    const CalibrationPoint& high = kRotorCalibration[i];
    if (speed <= high.Frequency / high.Constant) {
      // speed = f / (low.C + slope * (f - low.F)), solved for f.
      const double slope = (high.Constant - low.Constant) / (high.Frequency - low.Frequency);
      const double frequency =
          speed * (low.Constant - slope * low.Frequency) / (1.0 - speed * slope);
      return static_cast<std::int32_t>(std::lround(frequency));
    }
  }
  return static_cast<std::int32_t>(std::lround(speed * kRotorCalibration.back().Constant));
}

SimulatedWeather::SimulatedWeather(std::uint32_t seed) : Random(seed) {
  MeanSpeed = Uniform(3.0, 9.0);
  Direction = Uniform(0.0, kSectors);
  UsualTemperature = Uniform(0.0, 20.0);
  Temperature = UsualTemperature;
}

double SimulatedWeather::Normal() { return std::normal_distribution<double>()(Random); }

double SimulatedWeather::Uniform(double low, double high) {
  return std::uniform_real_distribution<double>(low, high)(Random);
}

Packet SimulatedWeather::NextReport() {
  ++Counter;

  // A slow random walk pulled gently towards the usual wind, reflected at the limits.
  MeanSpeed += 0.002 * (kUsualMeanSpeed - MeanSpeed) + 0.15 * Normal();
  if (MeanSpeed < kLowestMeanSpeed) {
    MeanSpeed = 2 * kLowestMeanSpeed - MeanSpeed;
  }
  if (MeanSpeed > kHighestMeanSpeed) {
    MeanSpeed = 2 * kHighestMeanSpeed - MeanSpeed;
  }
  MeanSpeed = std::clamp(MeanSpeed, kLowestMeanSpeed, kHighestMeanSpeed);
  const double average = MeanSpeed * std::clamp(1.0 + 0.06 * Normal(), 0.85, 1.15);
  const double gust = MeanSpeed * Uniform(1.2, 2.0);

  Direction += 0.03 * Normal();
  if (Uniform(0.0, 1.0) < 0.01) {
    Direction += Uniform(0.0, 1.0) < 0.5 ? -1.0 : 1.0;
  }
  Direction = std::fmod(std::fmod(Direction, kSectors) + kSectors, kSectors);
  const int code = std::min(static_cast<int>(Direction), kSectors - 1) + 1;

  Temperature += 0.0002 * (UsualTemperature - Temperature) + 0.02 * Normal();
  Temperature = std::clamp(Temperature, kLowestTemperature, kHighestTemperature);

  return EncodePacket({.Counter = Counter,
                       .AvgFrequency = SimulatedFrequencyFromSpeed(average),
                       .GustFrequency = SimulatedFrequencyFromSpeed(gust),
                       .DirectionCode = code,
                       .Temperature = Temperature});
}
