#include "core/running_statistics.h"

namespace {

// The means are taken in extended precision and rounded once to float.
float Mean(float sum, std::uint64_t count) {
  if (count == 0) return 0.0f;
  return static_cast<float>(static_cast<long double>(sum) / static_cast<long double>(count));
}

}  // namespace

void RunningStatistics::Reset() { *this = RunningStatistics{}; }

void RunningStatistics::Add(float avgSpeed, float temperature) {
  if (count_ == 0) {
    avgMin_ = avgMax_ = avgSpeed;
    tempMin_ = tempMax_ = temperature;
  } else {
    if (avgSpeed < avgMin_) avgMin_ = avgSpeed;
    if (avgSpeed > avgMax_) avgMax_ = avgSpeed;
    if (temperature < tempMin_) tempMin_ = temperature;
    if (temperature > tempMax_) tempMax_ = temperature;
  }
  avgSum_ += avgSpeed;
  tempSum_ += temperature;
  ++count_;
}

DisplayStatistics RunningStatistics::Current() const {
  DisplayStatistics current;
  current.AvgSpeedMin = avgMin_;
  current.AvgSpeedMax = avgMax_;
  current.AvgSpeedMean = Mean(avgSum_, count_);
  current.TemperatureMin = tempMin_;
  current.TemperatureMax = tempMax_;
  current.TemperatureMean = Mean(tempSum_, count_);
  return current;
}
