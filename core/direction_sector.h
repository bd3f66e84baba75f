#pragma once

#include <cstdint>
#include <string_view>

// 0..15: the 16 compass points clockwise from north; 16: no direction.
using DirectionSector = std::int32_t;

inline constexpr DirectionSector kSectorCount = 16;
inline constexpr DirectionSector kNoDirection = 16;

// "N", "NNE" ... "NNW"; "--" for any value outside 0..15.
const char* SectorName(DirectionSector sector);

// Case-insensitive match of a whole compass-point name; anything else gives kNoDirection.
DirectionSector SectorFromName(std::string_view name);
