#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// One HID input report of the anemometer, report identifier in byte 0.
inline constexpr std::size_t kPacketSize = 22;
using Packet = std::array<std::uint8_t, kPacketSize>;

struct PacketFields {
  std::int32_t Counter = 0;        // bytes 1-4, most significant first
  std::int32_t AvgFrequency = 0;   // bytes 5-9, "%d", mHz
  std::int32_t GustFrequency = 0;  // bytes 10-14, "%d", mHz
  std::int32_t DirectionCode = 0;  // bytes 15-16, "%d"
  float Temperature = 0.0f;        // bytes 18-21, "%f", degrees C
};

// nullopt when a text field does not parse, or the temperature is not a finite number.
std::optional<PacketFields> ParsePacket(const Packet& packet);

// The sector of a direction code with the user's offset: s = code + offset, 0 and 16 are
// NNW, 1..15 are N..NW; any other s is reduced into 0..15 the same way.
std::int32_t SectorFromDirectionCode(std::int32_t code, std::int32_t offset);
