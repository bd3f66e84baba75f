// Any bytes as anemometer.cal: the load either succeeds or fails cleanly, every row it keeps
// is two finite numbers, and conversion through whatever table it built stays finite.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "core/calibration.h"
#include "core/calibration_reader.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  CalibrationTable table = {{1.0f, 1.0f}};
  const int result = ReadCalibration(in, table);
  Check(result == 0 || result == -1);
  // Two numbers take at least three characters ("1 2", "1-2"), and lines do not share them.
  Check(table.size() * 3 <= size);
  for (const CalibrationEntry& entry : table) {
    Check(std::isfinite(entry.Frequency) && std::isfinite(entry.Constant));
  }
  for (std::int32_t frequency : {1, 999, 2194, 3000, 45824, 99999, 2147483647}) {
    const float speed = SpeedFromFrequency(table, frequency);
    Check(std::isfinite(speed) && speed >= 0.0f);
  }
  return 0;
}
