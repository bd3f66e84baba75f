#include "archive_tool/iso_log_row.h"

#include <array>
#include <charconv>
#include <cmath>

#include "archive_tool/time_arguments.h"
#include "core/direction_sector.h"

namespace {

constexpr std::size_t kFields = 10;
constexpr float kLargest = 9e12f;  // what the archive keeps (ToMillionths)

std::optional<float> Number(std::string_view text) {
  float value = 0.0f;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value) || std::fabs(value) > kLargest) {
    return std::nullopt;
  }
  return value;
}

// "+HH:MM" or "-HH:MM" in seconds.
std::optional<std::int32_t> Offset(std::string_view text) {
  if (text.size() != 6 || (text[0] != '+' && text[0] != '-') || text[3] != ':') {
    return std::nullopt;
  }
  int hours = 0, minutes = 0;
  if (std::from_chars(text.data() + 1, text.data() + 3, hours).ptr != text.data() + 3 ||
      std::from_chars(text.data() + 4, text.data() + 6, minutes).ptr != text.data() + 6 ||
      hours > 18 || minutes > 59) {
    return std::nullopt;
  }
  const int seconds = hours * 3600 + minutes * 60;
  return text[0] == '-' ? -seconds : seconds;
}

}  // namespace

bool ParseIsoLogRow(std::string_view line, StoredRecord& record) {
  std::array<std::string_view, kFields> fields;
  std::size_t count = 0;
  for (std::size_t start = 0;;) {
    if (count == kFields) return false;
    const std::size_t comma = line.find(',', start);
    fields[count++] = line.substr(start, comma == std::string_view::npos ? comma : comma - start);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (count != kFields || fields[0].size() != 25) return false;
  const std::optional<std::int64_t> local = LocalSecondsFromIso(fields[0].substr(0, 19), false);
  const std::optional<std::int32_t> offset = Offset(fields[0].substr(19));
  if (!local || !offset || fields[0][10] != 'T') return false;

  std::array<std::int64_t, 7> values{};
  constexpr std::array<std::size_t, 7> kColumns = {1, 2, 5, 6, 7, 8, 9};
  for (std::size_t i = 0; i < kColumns.size(); ++i) {
    const std::optional<float> value = Number(fields[kColumns[i]]);
    if (!value) return false;
    values[i] = ToMillionths(*value);
  }
  std::int32_t sector = kNoDirection;
  if (!fields[3].empty()) {
    sector = SectorFromName(fields[3]);
    if (sector == kNoDirection) return false;
  }
  record = StoredRecord{};
  record.time = *local - *offset;
  record.utcOffset = *offset;
  record.avgSpeed = values[0];
  record.gustSpeed = values[1];
  record.temperature = values[2];
  record.windChillAvg = values[3];
  record.windChillGust = values[4];
  record.beaufortAvg = values[5];
  record.beaufortGust = values[6];
  record.sector = sector;
  return true;
}
