#include "core/date_time_text.h"

#include <charconv>
#include <cstdint>

namespace {

// "%d" of an unsigned 16-bit field, zero-padded to minDigits like "%02d".
void AppendNumber(std::string& text, std::uint16_t value, std::size_t minDigits = 1) {
  char digits[8];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  const auto length = static_cast<std::size_t>(result.ptr - digits);
  if (length < minDigits) text.append(minDigits - length, '0');
  text.append(digits, length);
}

}  // namespace

std::string DateTimeText(const SystemTime& time) {
  std::string text;
  text.reserve(20);
  AppendNumber(text, time.Day);
  text += '.';
  AppendNumber(text, time.Month);
  text += ' ';
  AppendNumber(text, time.Year);
  text += ' ';
  AppendNumber(text, time.Hour, 2);
  text += ':';
  AppendNumber(text, time.Minute, 2);
  text += ':';
  AppendNumber(text, time.Second, 2);
  return text;
}
