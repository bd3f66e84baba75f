#pragma once

#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "core/measurement_record.h"
#include "core/record_store.h"

// A fresh directory for one test, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir()
      : path_(std::filesystem::temp_directory_path() /
              ("anemometer-files-" + std::to_string(getpid()) + "-" + std::to_string(++count_))) {
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  static inline int count_ = 0;
  std::filesystem::path path_;
};

// sysfs lets nobody create a file in it, root included (the tests may run as root).
inline const std::filesystem::path kUnwritableDir = "/sys";

inline std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

inline std::string TestDataFile(const std::string& name) {
  return std::string(ANEMOMETER_TEST_DATA_DIR) + "/" + name;
}

// day, month, year, hour, minute, second; the seven values in file order; the sector.
inline MeasurementRecord MakeRecord(std::array<int, 6> t, std::array<float, 7> v, int sector) {
  MeasurementRecord r;
  const auto u16 = [](int x) { return static_cast<std::uint16_t>(x); };
  r.Time = {u16(t[2]), u16(t[1]), 0, u16(t[0]), u16(t[3]), u16(t[4]), u16(t[5]), 0};
  r.AvgSpeed = v[0];
  r.GustSpeed = v[1];
  r.Temperature = v[2];
  r.WindChillAvg = v[3];
  r.WindChillGust = v[4];
  r.BeaufortAvg = v[5];
  r.BeaufortGust = v[6];
  r.Sector = sector;
  return r;
}

// Plausible capture rows: every value fits its 10-character CSV field.
inline MeasurementRecord RandomRecord(std::mt19937& random) {
  const auto i = [&random](int low, int high) {
    return std::uniform_int_distribution(low, high)(random);
  };
  const auto f = [&random](float low, float high) {
    return std::uniform_real_distribution(low, high)(random);
  };
  return MakeRecord(
      {i(1, 31), i(1, 12), i(1990, 2099), i(0, 23), i(0, 59), i(0, 59)},
      {f(0, 60), f(0, 60), f(-40, 45), f(-60, 45), f(-60, 45), float(i(0, 12)), float(i(0, 12))},
      i(0, 15));
}

inline RecordStore RandomStore(std::size_t count, unsigned seed = 1) {
  std::mt19937 random(seed);
  RecordStore store;
  while (store.Size() < count) store.Append(RandomRecord(random));
  return store;
}
