#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Reads text one sscanf conversion at a time, with the C locale's rules whatever the process
// locale is: white space is " \t\n\v\f\r", numbers use a full stop. Each call is one conversion
// of a format string; false is the point where sscanf would stop converting.
class CScanner {
 public:
  // commasAreSpaces: the data file's lines have every comma replaced by a space before parsing.
  explicit CScanner(std::string_view text, bool commasAreSpaces = false)
      : text_(text), commasAreSpaces_(commasAreSpaces) {}

  // "%Ns": skips white space, then takes 1..width non-blank characters.
  bool String(std::size_t width, std::string_view& token) {
    SkipSpace();
    const std::size_t begin = pos_;
    while (pos_ < text_.size() && pos_ - begin < width && !IsSpace(text_[pos_])) ++pos_;
    if (pos_ == begin) return false;
    token = text_.substr(begin, pos_ - begin);
    return true;
  }

  // "%f" into a float (ScanFloat): "1.5e" reads as 1.5 and takes the "e" with it, so "3ENE"
  // leaves "NE" for the next conversion. Infinities and NaNs are read; the caller decides.
  bool Float(float& value);

  // "%hu" as glibc reads it: optional sign and decimal digits, converted like strtoul into
  // 64 bits (a negative number wraps, an overflow gives the maximum) and cut to 16 bits.
  // So "70000" gives 4464, "-1" gives 65535.
  bool UnsignedShort(std::uint16_t& value);

  // An ordinary character of the format: it must come next, no white space is skipped.
  bool Literal(char expected) {
    if (pos_ == text_.size() || text_[pos_] != expected) return false;
    ++pos_;
    return true;
  }

 private:
  bool IsSpace(char c) const {
    switch (c) {
      case ' ':
      case '\t':
      case '\n':
      case '\v':
      case '\f':
      case '\r':
        return true;
      case ',':
        return commasAreSpaces_;
      default:
        return false;
    }
  }

  void SkipSpace() {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  bool commasAreSpaces_;
};
