#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "core/packet.h"

// A device report with the given counter and field texts. A text shorter than its field is
// followed by NUL bytes; a longer one is cut.
inline Packet MakePacket(std::int32_t counter, std::string_view avgFrequency,
                         std::string_view gustFrequency, std::string_view directionCode,
                         std::string_view temperature) {
  Packet packet{};
  const auto bits = static_cast<std::uint32_t>(counter);
  packet[1] = static_cast<std::uint8_t>(bits >> 24);
  packet[2] = static_cast<std::uint8_t>(bits >> 16);
  packet[3] = static_cast<std::uint8_t>(bits >> 8);
  packet[4] = static_cast<std::uint8_t>(bits);
  const auto put = [&packet](std::size_t first, std::size_t length, std::string_view text) {
    std::copy_n(text.begin(), std::min(length, text.size()), packet.begin() + first);
  };
  put(5, 5, avgFrequency);
  put(10, 5, gustFrequency);
  put(15, 2, directionCode);
  put(18, 4, temperature);
  return packet;
}

// A well-formed report as the anemometer sends it.
inline Packet MakePacket(std::int32_t counter) {
  return MakePacket(counter, "01000", "02000", "05", "12.5");
}
