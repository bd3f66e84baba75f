#include "files/c_scanner.h"

#include <limits>
#include <optional>

#include "core/c_format.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool CScanner::Float(float& value) {
  SkipSpace();
  if (pos_ == text_.size()) return false;
  std::size_t used = 0;
  const std::optional<float> scanned = ScanFloat(text_.substr(pos_), &used);
  if (!scanned || used == 0) return false;
  value = *scanned;
  pos_ += used;
  return true;
}

bool CScanner::UnsignedShort(std::uint16_t& value) {
  SkipSpace();
  std::size_t pos = pos_;
  bool negative = false;
  if (pos < text_.size() && (text_[pos] == '+' || text_[pos] == '-')) {
    negative = text_[pos] == '-';
    ++pos;
  }
  if (pos == text_.size() || !IsDigit(text_[pos])) return false;

  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t magnitude = 0;
  bool overflow = false;
  for (; pos < text_.size() && IsDigit(text_[pos]); ++pos) {
    const auto digit = static_cast<std::uint64_t>(text_[pos] - '0');
    if (overflow || magnitude > (kMax - digit) / 10) {
      overflow = true;
    } else {
      magnitude = magnitude * 10 + digit;
    }
  }
  const std::uint64_t wide = overflow ? kMax : (negative ? 0 - magnitude : magnitude);
  value = static_cast<std::uint16_t>(wide);
  pos_ = pos;
  return true;
}
