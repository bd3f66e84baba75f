#pragma once

#include <cstdint>

// What the summary labels show after each record.
struct DisplayStatistics {
  float AvgSpeedMin = 0.0f;
  float AvgSpeedMax = 0.0f;
  float AvgSpeedMean = 0.0f;
  float TemperatureMin = 0.0f;
  float TemperatureMax = 0.0f;
  float TemperatureMean = 0.0f;
};

// Minimum, maximum and sum of the average wind speed and the temperature since the last
// reset. Means divide by the number of records added since the reset, so they stay true
// means once the store drops its oldest rows. An extreme that holds no value yet is marked
// by a flag, so a true extreme of exactly 0 survives.
class RunningStatistics {
 public:
  void Reset();
  void Add(float avgSpeed, float temperature);

  bool HasValues() const { return count_ > 0; }
  std::uint64_t Count() const { return count_; }
  float AvgSpeedMin() const { return avgMin_; }
  float AvgSpeedMax() const { return avgMax_; }
  float AvgSpeedSum() const { return avgSum_; }
  float TemperatureMin() const { return tempMin_; }
  float TemperatureMax() const { return tempMax_; }
  float TemperatureSum() const { return tempSum_; }

  // Minima and maxima, and the means (0 while nothing was added).
  DisplayStatistics Current() const;

 private:
  std::uint64_t count_ = 0;
  float avgMin_ = 0.0f, avgMax_ = 0.0f, avgSum_ = 0.0f;
  float tempMin_ = 0.0f, tempMax_ = 0.0f, tempSum_ = 0.0f;
};
