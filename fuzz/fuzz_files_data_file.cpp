// Whole data files from arbitrary bytes, through the same stream reader Open uses: no crash or
// hang, and every record handed over is within its ranges.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "files/data_file_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;  // fmemopen refuses an empty buffer
  std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (stream == nullptr) return 0;
  std::size_t records = 0;
  ReadDataStream(stream, [&records](const MeasurementRecord& r) {
    ++records;
    if (r.Sector < 0 || r.Sector > 15 || !std::isfinite(r.AvgSpeed) ||
        !std::isfinite(r.GustSpeed) || !std::isfinite(r.Temperature) ||
        !std::isfinite(r.WindChillAvg) || !std::isfinite(r.WindChillGust) ||
        !std::isfinite(r.BeaufortAvg) || !std::isfinite(r.BeaufortGust)) {
      std::abort();
    }
  });
  // Every record needs at least 22 characters (eleven items and their separators).
  if (records * 22 > size) std::abort();
  std::fclose(stream);
  return 0;
}
