#include "timeseries/line_protocol.h"

#include <charconv>

#include "core/direction_sector.h"

namespace {

constexpr std::uint64_t kMillion = 1000000;

// "-4.500000": the whole millionths as a decimal, exactly. By hand: printf costs more than the
// archive's read of the same records.
void AppendMillionths(std::string& out, std::int64_t value) {
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  char text[32];
  char* end = text;
  if (value < 0) *end++ = '-';
  end = std::to_chars(end, text + sizeof text, magnitude / kMillion).ptr;
  *end++ = '.';
  std::uint64_t fraction = magnitude % kMillion;
  for (int digit = 5; digit >= 0; --digit) {
    end[digit] = static_cast<char>('0' + fraction % 10);
    fraction /= 10;
  }
  out.append(text, static_cast<std::size_t>(end + 6 - text));
}

void AppendInteger(std::string& out, std::int64_t value) {
  char text[24];
  out.append(text,
             static_cast<std::size_t>(std::to_chars(text, text + sizeof text, value).ptr - text));
}

void AppendField(std::string& out, const char* name, std::int64_t millionths) {
  out += ',';
  out += name;
  out += '=';
  AppendMillionths(out, millionths);
}

}  // namespace

std::string EscapeTagValue(std::string_view value) {
  std::string escaped;
  escaped.reserve(value.size());
  for (const char c : value) {
    if (c == ',' || c == ' ' || c == '=' || c == '\\') escaped += '\\';
    escaped += c == '\n' || c == '\r' ? ' ' : c;
  }
  return escaped;
}

void AppendLineProtocol(std::string& body, std::string_view station, const StoredRecord& r) {
  body += "wind,station=";
  body += station;
  if (r.seq > 0) {
    body += ",seq=";
    AppendInteger(body, r.seq);
  }
  body += " wind_speed=";
  AppendMillionths(body, r.avgSpeed);
  AppendField(body, "wind_gust", r.gustSpeed);
  if (r.sector >= 0 && r.sector < kSectorCount) {
    body += ",wind_direction=\"";
    body += SectorName(r.sector);
    body += "\",wind_direction_deg=";
    // 22.5 degrees a sector: a whole or half number.
    AppendInteger(body, r.sector * 45 / 2);
    if (r.sector % 2 != 0) body += ".5";
  }
  AppendField(body, "temperature", r.temperature);
  AppendField(body, "wind_chill", r.windChillAvg);
  AppendField(body, "wind_chill_gust", r.windChillGust);
  AppendField(body, "beaufort", r.beaufortAvg);
  AppendField(body, "beaufort_gust", r.beaufortGust);
  body += ' ';
  AppendInteger(body, r.time);
  body += '\n';
}
