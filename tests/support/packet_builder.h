#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "core/packet.h"
#include "core/packet_encoder.h"

// A device report with the given counter and field texts, laid out by the report encoder: a
// text shorter than its field is right-aligned after spaces, a longer one is cut.
inline Packet MakePacket(std::int32_t counter, std::string_view avgFrequency,
                         std::string_view gustFrequency, std::string_view directionCode,
                         std::string_view temperature) {
  return EncodePacketTexts(static_cast<std::uint32_t>(counter),
                           {avgFrequency, gustFrequency, directionCode, temperature});
}

// A well-formed report as the anemometer sends it: 1 Hz average, 2 Hz gust, code 5, 12.5 C.
inline Packet MakePacket(std::int32_t counter) {
  return EncodePacket({.Counter = static_cast<std::uint32_t>(counter),
                       .AvgFrequency = 1000,
                       .GustFrequency = 2000,
                       .DirectionCode = 5,
                       .Temperature = 12.5});
}

// Writes bytes into a field as they are, NUL bytes included, from its first byte on; the
// field's other bytes stay. For reports no encoder writes.
inline void PutFieldBytes(Packet& packet, PacketField field, std::string_view bytes) {
  std::copy_n(bytes.begin(), std::min(bytes.size(), field.Length),
              packet.begin() + static_cast<std::ptrdiff_t>(field.First));
}
