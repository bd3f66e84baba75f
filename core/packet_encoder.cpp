#include "core/packet_encoder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "core/c_format.h"

namespace {

// The number in decimal with leading zeros to the field's width, held within 0 .. largest.
std::string ZeroPadded(std::int32_t number, std::int32_t largest, PacketField field) {
  char digits[16];
  const auto end =
      std::to_chars(digits, digits + sizeof digits, std::clamp(number, 0, largest)).ptr;
  std::string text(field.Length, '0');
  const auto count = static_cast<std::size_t>(end - digits);
  std::copy(digits, end, text.end() - static_cast<std::ptrdiff_t>(count));
  return text;
}

// Like "%4.1f" in the C locale, after rounding to tenths half away from zero, so that what
// rounds to zero is " 0.0", never "-0.0".
std::string TemperatureText(double celsius) {
  const double held = std::isnan(celsius) ? 0.0
                                          : std::clamp(celsius, kLowestPacketTemperature,
                                                       kHighestPacketTemperature);
  const long tenths = std::lround(held * 10.0);
  return FormatFixed(static_cast<double>(tenths) / 10.0, static_cast<int>(kTemperatureField.Length),
                     1);
}

// Right-aligned in the field, cut to its length. memcpy rather than an element loop: GCC 12
// at -O3 wrongly sees the loop writing past the report's end.
void Put(Packet& packet, PacketField field, std::string_view text) {
  const std::size_t length = std::min(text.size(), field.Length);
  std::memcpy(packet.data() + (field.End() - length), text.data(), length);
}

}  // namespace

Packet EncodePacket(const PacketValues& values) {
  const std::string avg =
      ZeroPadded(values.AvgFrequency, kLargestPacketFrequency, kAvgFrequencyField);
  const std::string gust =
      ZeroPadded(values.GustFrequency, kLargestPacketFrequency, kGustFrequencyField);
  const std::string direction =
      ZeroPadded(values.DirectionCode, kLargestPacketDirectionCode, kDirectionCodeField);
  const std::string temperature = TemperatureText(values.Temperature);
  return EncodePacketTexts(values.Counter, {avg, gust, direction, temperature});
}

Packet EncodePacketTexts(std::uint32_t counter, const PacketTexts& texts) {
  Packet packet;
  packet.fill(' ');
  packet[kReportIdField.First] = 0;
  for (std::size_t i = kCounterField.End(); i-- > kCounterField.First; counter >>= 8) {
    packet[i] = static_cast<std::uint8_t>(counter & 0xFF);
  }
  Put(packet, kAvgFrequencyField, texts.AvgFrequency);
  Put(packet, kGustFrequencyField, texts.GustFrequency);
  Put(packet, kDirectionCodeField, texts.DirectionCode);
  Put(packet, kTemperatureField, texts.Temperature);
  return packet;
}
