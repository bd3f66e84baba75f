#include "direction_sector.h"

#include <array>

namespace {

constexpr std::array<const char*, kSectorCount> kCompassPointNames = {
    "N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
    "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};

constexpr const char* kNoDirectionName = "--";

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace

const char* SectorName(DirectionSector sector) {
  if (sector < 0 || sector >= kSectorCount) return kNoDirectionName;
  return kCompassPointNames[static_cast<std::size_t>(sector)];
}

DirectionSector SectorFromName(std::string_view name) {
  for (DirectionSector sector = 0; sector < kSectorCount; ++sector) {
    if (EqualIgnoringCase(name, kCompassPointNames[static_cast<std::size_t>(sector)])) {
      return sector;
    }
  }
  return kNoDirection;
}
