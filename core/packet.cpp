#include "core/packet.h"

#include <cmath>
#include <cstdint>
#include <string_view>

#include "core/c_format.h"
#include "core/direction_sector.h"

namespace {

// A text field read the C way: copied into a buffer of its own and NUL-terminated, so a NUL
// byte inside the field ends its text.
std::string_view FieldText(const Packet& packet, PacketField field) {
  std::string_view text(reinterpret_cast<const char*>(packet.data()) + field.First, field.Length);
  return text.substr(0, text.find('\0'));
}

}  // namespace

std::optional<PacketFields> ParsePacket(const Packet& packet) {
  PacketFields fields;
  std::uint32_t counter = 0;
  for (std::size_t i = kCounterField.First; i < kCounterField.End(); ++i) {
    counter = (counter << 8) | packet[i];
  }
  fields.Counter = static_cast<std::int32_t>(counter);

  const auto avg = ScanInt(FieldText(packet, kAvgFrequencyField));
  if (!avg) return std::nullopt;
  const auto gust = ScanInt(FieldText(packet, kGustFrequencyField));
  if (!gust) return std::nullopt;
  const auto direction = ScanInt(FieldText(packet, kDirectionCodeField));
  if (!direction) return std::nullopt;
  const auto temperature = ScanFloat(FieldText(packet, kTemperatureField));
  // A temperature that is no finite number would carry NaN or infinity into every record.
  if (!temperature || !std::isfinite(*temperature)) return std::nullopt;

  fields.AvgFrequency = *avg;
  fields.GustFrequency = *gust;
  fields.DirectionCode = *direction;
  fields.Temperature = *temperature;
  return fields;
}

std::int32_t SectorFromDirectionCode(std::int32_t code, std::int32_t offset) {
  // Code 1 is north; 0 and 16 are both north-north-west. Every other sum wraps the same way.
  const std::int64_t sum = std::int64_t{code} + offset;
  const std::int64_t sector = ((sum + 15) % kSectorCount + kSectorCount) % kSectorCount;
  return static_cast<std::int32_t>(sector);
}
