#include "device/simulated_weather.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

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
constexpr double kLowestTemperature = -9.9;  // the four-character field holds no lower tenths
constexpr double kHighestTemperature = 35.0;
constexpr int kSectors = 16;

char Digit(int value) { return static_cast<char>('0' + value); }

// Zero-padded decimal text, the way the device writes its numeric fields.
void WriteDecimal(Packet& report, std::size_t offset, std::size_t width, std::int32_t number) {
  auto value = static_cast<std::uint32_t>(std::max(number, 0));
  for (std::size_t i = width; i-- > 0;) {
    report[offset + i] = static_cast<std::uint8_t>(Digit(static_cast<int>(value % 10)));
    value /= 10;
  }
}

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

std::array<char, 4> TemperatureFieldText(double celsius) {
  const double held = std::isnan(celsius) ? 0.0 : std::clamp(celsius, -9.9, 99.9);
  const long tenths = std::lround(held * 10.0);
  const int magnitude = static_cast<int>(tenths < 0 ? -tenths : tenths);
  const char whole = Digit(magnitude / 10 % 10);
  const char fraction = Digit(magnitude % 10);
  if (tenths < 0) {
    return {'-', whole, '.', fraction};
  }
  if (magnitude < 100) {
    return {' ', whole, '.', fraction};
  }
  return {Digit(magnitude / 100), whole, '.', fraction};
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

  Packet report{};
  report[0] = 0;
  report[1] = static_cast<std::uint8_t>(Counter >> 24);
  report[2] = static_cast<std::uint8_t>(Counter >> 16);
  report[3] = static_cast<std::uint8_t>(Counter >> 8);
  report[4] = static_cast<std::uint8_t>(Counter);
  WriteDecimal(report, 5, 5, SimulatedFrequencyFromSpeed(average));
  WriteDecimal(report, 10, 5, SimulatedFrequencyFromSpeed(gust));
  WriteDecimal(report, 15, 2, code);
  report[17] = ' ';
  const std::array<char, 4> temperature = TemperatureFieldText(Temperature);
  std::copy(temperature.begin(), temperature.end(), report.begin() + 18);
  return report;
}
