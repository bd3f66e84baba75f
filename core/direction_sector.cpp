#include "core/direction_sector.h"

#include <array>

#include "core/c_format.h"

namespace {

constexpr std::array<const char*, kSectorCount> kCompassPointNames = {
    "N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
    "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};

constexpr const char* kNoDirectionName = "--";

}  // namespace

const char* SectorName(DirectionSector sector) {
  if (sector < 0 || sector >= kSectorCount) return kNoDirectionName;
  return kCompassPointNames[static_cast<std::size_t>(sector)];
}

DirectionSector SectorFromName(std::string_view name) {
  for (DirectionSector sector = 0; sector < kSectorCount; ++sector) {
    if (EqualIgnoringAsciiCase(name, kCompassPointNames[static_cast<std::size_t>(sector)])) {
      return sector;
    }
  }
  return kNoDirection;
}
