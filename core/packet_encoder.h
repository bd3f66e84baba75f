#pragma once

#include <cstdint>
#include <string_view>

#include "core/packet.h"

// Writing device reports: the simulated anemometer, and tests and benchmarks that feed the
// program reports.
//
// Text fields are written as the anemometer writes them: a number fills its field, the
// frequencies and the direction code with leading zeros ("01000", "05"), the temperature with
// one decimal right-aligned in its four characters ("12.5", "-3.2", " 4.0"). A text given as
// it is (EncodePacketTexts) follows the same rule: shorter than its field, it is right-aligned
// with spaces before it, as C's "%*s" pads; longer, only its first characters are kept. The
// report identifier is 0 and the unused byte 17 a space.

// The largest number a field's digits hold: 99999 in five characters.
constexpr std::int32_t LargestNumberIn(PacketField field) {
  std::int32_t largest = 0;
  for (std::size_t i = 0; i < field.Length; ++i) largest = largest * 10 + 9;
  return largest;
}

inline constexpr std::int32_t kLargestPacketFrequency = LargestNumberIn(kAvgFrequencyField);
inline constexpr std::int32_t kLargestPacketDirectionCode = LargestNumberIn(kDirectionCodeField);
static_assert(kGustFrequencyField.Length == kAvgFrequencyField.Length);
// The temperatures with one decimal that fit the four characters.
inline constexpr double kLowestPacketTemperature = -9.9;
inline constexpr double kHighestPacketTemperature = 99.9;
static_assert(kTemperatureField.Length == 4);

// The values of one report.
struct PacketValues {
  std::uint32_t Counter = 0;
  std::int32_t AvgFrequency = 0;   // mHz, held within 0 .. kLargestPacketFrequency
  std::int32_t GustFrequency = 0;  // mHz, held within 0 .. kLargestPacketFrequency
  std::int32_t DirectionCode = 0;  // held within 0 .. kLargestPacketDirectionCode
  // Degrees C, rounded to tenths with halves away from zero and held within
  // kLowestPacketTemperature .. kHighestPacketTemperature; NaN is written as 0.
  double Temperature = 0.0;
};

Packet EncodePacket(const PacketValues& values);

// The text fields as given, so that a report may also carry what does not parse.
struct PacketTexts {
  std::string_view AvgFrequency;
  std::string_view GustFrequency;
  std::string_view DirectionCode;
  std::string_view Temperature;
};

Packet EncodePacketTexts(std::uint32_t counter, const PacketTexts& texts);
