#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// One HID input report of the anemometer, report identifier in byte 0.
inline constexpr std::size_t kPacketSize = 22;
using Packet = std::array<std::uint8_t, kPacketSize>;

// Where a field lies in the report: its first byte and how many bytes it takes.
struct PacketField {
  std::size_t First;
  std::size_t Length;
  constexpr std::size_t End() const { return First + Length; }
};

// The report, byte by byte. The text fields hold ASCII numbers read as sscanf reads them; a
// NUL byte ends a field's text early.
inline constexpr PacketField kReportIdField{0, 1};        // 0; hidapi drops it
inline constexpr PacketField kCounterField{1, 4};         // binary, most significant first
inline constexpr PacketField kAvgFrequencyField{5, 5};    // text "%d", mHz
inline constexpr PacketField kGustFrequencyField{10, 5};  // text "%d", mHz
inline constexpr PacketField kDirectionCodeField{15, 2};  // text "%d"
inline constexpr PacketField kUnusedField{17, 1};         // not read
inline constexpr PacketField kTemperatureField{18, 4};    // text "%f", degrees C

static_assert(kReportIdField.First == 0 && kReportIdField.End() == kCounterField.First &&
                  kCounterField.End() == kAvgFrequencyField.First &&
                  kAvgFrequencyField.End() == kGustFrequencyField.First &&
                  kGustFrequencyField.End() == kDirectionCodeField.First &&
                  kDirectionCodeField.End() == kUnusedField.First &&
                  kUnusedField.End() == kTemperatureField.First &&
                  kTemperatureField.End() == kPacketSize,
              "the fields follow one another and fill the report");

struct PacketFields {
  std::int32_t Counter = 0;        // kCounterField, as a signed number
  std::int32_t AvgFrequency = 0;   // mHz
  std::int32_t GustFrequency = 0;  // mHz
  std::int32_t DirectionCode = 0;  // see SectorFromDirectionCode
  float Temperature = 0.0f;        // degrees C
};

// nullopt when a text field does not parse, or the temperature is not a finite number.
std::optional<PacketFields> ParsePacket(const Packet& packet);

// The sector of a direction code with the user's offset: s = code + offset, 0 and 16 are
// NNW, 1..15 are N..NW; any other s is reduced into 0..15 the same way.
std::int32_t SectorFromDirectionCode(std::int32_t code, std::int32_t offset);
