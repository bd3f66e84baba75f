#include "core/c_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace {

// White space as isspace() sees it in the C locale.
bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

int DigitValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

std::size_t SkipSpace(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsCSpace(text[pos])) ++pos;
  return pos;
}

// from_chars reports a number float cannot hold as out of range without telling whether it was
// too large or too small; strtof gives infinity for the one and zero for the other. Compares the
// magnitude of an already matched number (no sign, no "0x") with 1: out of range values are far
// from 1 in both directions, so the position of the leading digit and the exponent decide.
bool MagnitudeAtLeastOne(std::string_view number, bool hex) {
  const std::int64_t digitScale = hex ? 4 : 1;  // a hex digit is four binary places
  const char lowerMark = hex ? 'p' : 'e';
  const char upperMark = hex ? 'P' : 'E';
  // Power of the base (10, or 2 for hex) of the leading non-zero digit.
  std::optional<std::int64_t> leading;
  std::int64_t integerDigitsAfterLead = 0;
  std::int64_t fractionPosition = 0;
  bool inFraction = false;
  std::size_t pos = 0;
  for (; pos < number.size(); ++pos) {
    const char c = number[pos];
    if (c == '.') {
      inFraction = true;
      continue;
    }
    if (!(hex ? IsHexDigit(c) : IsDigit(c))) break;
    if (inFraction) {
      ++fractionPosition;
      if (!leading && DigitValue(c) != 0) leading = -fractionPosition * digitScale;
    } else if (leading) {
      ++integerDigitsAfterLead;
    } else if (DigitValue(c) != 0) {
      leading = 0;
    }
  }
  if (!leading) return false;
  if (*leading == 0) leading = integerDigitsAfterLead * digitScale;

  std::int64_t exponent = 0;
  if (pos < number.size() && (number[pos] == lowerMark || number[pos] == upperMark)) {
    ++pos;
    bool negative = false;
    if (pos < number.size() && (number[pos] == '+' || number[pos] == '-')) {
      negative = number[pos] == '-';
      ++pos;
    }
    constexpr std::int64_t kSaturation = 1'000'000'000;
    for (; pos < number.size() && IsDigit(number[pos]); ++pos) {
      exponent = std::min(kSaturation, exponent * 10 + (number[pos] - '0'));
    }
    if (negative) exponent = -exponent;
  }
  return *leading + exponent >= 0;
}

// Parses number (no leading sign) with strtof's grammar; nullopt when nothing matched.
std::optional<float> ScanUnsignedFloat(std::string_view number) {
  const char* first = number.data();
  const char* last = number.data() + number.size();
  bool hex = false;
  if (number.size() >= 2 && number[0] == '0' && (number[1] == 'x' || number[1] == 'X')) {
    // from_chars takes hex digits without the prefix; a "0x" with no hex number after it is
    // read by strtof as the number 0 followed by an 'x'.
    const bool digitsFollow =
        number.size() > 2 &&
        (IsHexDigit(number[2]) || (number[2] == '.' && number.size() > 3 && IsHexDigit(number[3])));
    if (digitsFollow) {
      hex = true;
      first += 2;
    }
  }
  float value = 0.0f;
  const auto result = std::from_chars(first, last, value,
                                      hex ? std::chars_format::hex : std::chars_format::general);
  if (result.ec == std::errc::invalid_argument) return std::nullopt;
  if (result.ec == std::errc::result_out_of_range) {
    const std::string_view matched(first, static_cast<std::size_t>(result.ptr - first));
    value = MagnitudeAtLeastOne(matched, hex) ? std::numeric_limits<float>::infinity() : 0.0f;
  }
  return value;
}

// Takes word (in lower case) at pos in any letter case; false when the text ends or differs.
bool TakeWord(std::string_view text, std::size_t& pos, std::string_view word) {
  for (const char expected : word) {
    if (pos == text.size() || AsciiLower(text[pos]) != expected) return false;
    ++pos;
  }
  return true;
}

// How many characters the C library's scanf "%f" takes for the number at the start of text
// (white space already skipped); nullopt where it fails without converting. scanf reads one
// character at a time and never gives back more than the last one, so it can take more than
// strtof would use: "1e" and "3ENE" lose their "e" to the number, while "0x", "-" and "infin"
// fail outright. Only what it took is then converted, as strtof converts it.
std::optional<std::size_t> ScanfNumberLength(std::string_view text) {
  std::size_t pos = 0;
  std::size_t signLength = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) signLength = ++pos;
  if (pos == text.size()) return std::nullopt;
  if (AsciiLower(text[pos]) == 'n') {
    if (!TakeWord(text, pos, "nan")) return std::nullopt;
    return pos;
  }
  if (AsciiLower(text[pos]) == 'i') {
    if (!TakeWord(text, pos, "inf")) return std::nullopt;
    // Once an "i" follows, the whole "infinity" must.
    if (pos < text.size() && AsciiLower(text[pos]) == 'i' && !TakeWord(text, pos, "inity")) {
      return std::nullopt;
    }
    return pos;
  }
  bool hex = false;
  bool gotDigit = false;
  if (text[pos] == '0') {
    ++pos;
    if (pos < text.size() && AsciiLower(text[pos]) == 'x') {
      hex = true;
      ++pos;
    } else {
      gotDigit = true;
    }
  }
  const char exponentMark = hex ? 'p' : 'e';
  bool gotDot = false;
  bool gotExponent = false;
  bool afterMark = false;  // a sign may follow the exponent mark only
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    const bool signAllowed = afterMark;
    afterMark = false;
    if (IsDigit(c) || (hex && !gotExponent && IsHexDigit(c))) {
      gotDigit = true;
    } else if (signAllowed && (c == '+' || c == '-')) {
      continue;
    } else if (gotDigit && !gotExponent && AsciiLower(c) == exponentMark) {
      gotExponent = gotDot = afterMark = true;
    } else if (!gotDot && c == '.') {
      gotDot = true;
    } else {
      break;
    }
  }
  if (pos == signLength || (hex && pos == signLength + 2)) return std::nullopt;
  return pos;
}

}  // namespace

std::optional<int> ScanInt(std::string_view text) {
  std::size_t pos = SkipSpace(text, 0);
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  const std::size_t digitsStart = pos;
  // Accumulated as a negative number so that the most negative int fits.
  std::int64_t value = 0;
  constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
  bool tooLarge = false;
  for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
    if (!tooLarge) {
      value = value * 10 - (text[pos] - '0');
      if (value < kLowest) tooLarge = true;
    }
  }
  if (pos == digitsStart || tooLarge) return std::nullopt;
  if (!negative) {
    if (value < -std::int64_t{std::numeric_limits<std::int32_t>::max()}) return std::nullopt;
    value = -value;
  }
  return static_cast<int>(value);
}

std::optional<float> ScanFloat(std::string_view text, std::size_t* consumed) {
  const std::size_t start = SkipSpace(text, 0);
  const std::optional<std::size_t> length = ScanfNumberLength(text.substr(start));
  if (!length) return std::nullopt;
  std::string_view number = text.substr(start, *length);
  const bool negative = number.front() == '-';
  if (number.front() == '+' || number.front() == '-') number.remove_prefix(1);
  const auto value = ScanUnsignedFloat(number);
  if (!value) return std::nullopt;  // "." or "-.e5": no digit at all
  if (consumed) *consumed = start + *length;
  return negative ? -*value : *value;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

std::string FormatFixed(double value, int width, int precision) {
  if (precision < 0) precision = 6;  // printf treats a negative precision as none given
  std::string text;
  if (std::isnan(value)) {
    text = std::signbit(value) ? "-nan" : "nan";
  } else if (std::isinf(value)) {
    text = value < 0 ? "-inf" : "inf";
  } else {
    // Fixed notation of a double needs at most 309 integer digits, a sign and a point.
    text.resize(static_cast<std::size_t>(precision) + 320);
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value,
                                      std::chars_format::fixed, precision);
    text.resize(static_cast<std::size_t>(result.ptr - text.data()));
  }
  // A negative width is printf's '-' flag: left-aligned.
  if (width < 0) {
    const auto target = static_cast<std::size_t>(-static_cast<std::int64_t>(width));
    if (text.size() < target) text.append(target - text.size(), ' ');
    return text;
  }
  return PadLeft(text, static_cast<std::size_t>(width));
}

std::string PadLeft(std::string_view text, std::size_t width) {
  std::string padded;
  if (text.size() < width) padded.assign(width - text.size(), ' ');
  padded.append(text);
  return padded;
}
