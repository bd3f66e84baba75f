#include "core/calibration.h"

#include <cmath>
#include <limits>
#include <optional>

#include "core/calibration_span.h"

namespace {

// A float when the value is finite and within float's range.
std::optional<float> ToFiniteFloat(long double value) {
  constexpr long double kMax = std::numeric_limits<float>::max();
  // Values just past kMax that would still round down to it are rejected too: such a constant
  // or speed is meaningless anyway.
  if (!(value >= -kMax && value <= kMax)) return std::nullopt;
  return static_cast<float>(value);
}

}  // namespace

CalibrationTable DefaultCalibrationTable() {
  return {
      {2194.0f, 2194.0f},
      {4093.0f, 2046.5f},
      {12149.0f, 2169.46435546875f},
      {16448.0f, 2222.70263671875f},
      {22717.0f, 2271.699951171875f},
      {30771.0f, 2313.60888671875f},
      {37456.0f, 2341.0f},
      {41472.0f, 2383.4482421875f},
      {45824.0f, 2411.78955078125f},
  };
}

CalibrationSpan FindCalibrationSpan(const CalibrationTable& table, std::int32_t frequency) {
  CalibrationSpan span;
  if (table.empty()) return span;
  // Compared in double, where both the float and the 32-bit frequency are exact.
  const auto f = static_cast<double>(frequency);
  for (std::size_t row = 0; row < table.size(); ++row) {
    if (static_cast<double>(table[row].Frequency) > f) {
      span.Kind = CalibrationSpanKind::Interpolate;
      span.Upper = table[row];
      if (row > 0) span.Lower = table[row - 1];
      return span;
    }
  }
  span.Kind = CalibrationSpanKind::AboveTable;
  span.LastConstant = table.back().Constant;
  return span;
}

float SpeedFromSpan(const CalibrationSpan& span, std::int32_t frequency) {
  float constant = 0.0f;
  switch (span.Kind) {
    case CalibrationSpanKind::Empty:
      return 0.0f;
    case CalibrationSpanKind::AboveTable:
      constant = span.LastConstant;
      break;
    case CalibrationSpanKind::Interpolate: {
      // The constant is interpolated linearly: slope and product in extended precision, the
      // product rounded to float, then the float sum.
      const long double slope =
          (static_cast<long double>(span.Upper.Constant) - span.Lower.Constant) /
          (static_cast<long double>(span.Upper.Frequency) - span.Lower.Frequency);
      const long double product =
          slope * (static_cast<long double>(frequency) - span.Lower.Frequency);
      const auto roundedProduct = ToFiniteFloat(product);
      if (!roundedProduct) return 0.0f;
      constant = span.Lower.Constant + *roundedProduct;
      break;
    }
  }
  // A constant of 0 or less (or no number) has no meaning as a divisor.
  if (!(constant > 0.0f) || std::isinf(constant)) return 0.0f;
  const auto speed = ToFiniteFloat(static_cast<long double>(frequency) / constant);
  return speed.value_or(0.0f);
}

float SpeedFromFrequency(const CalibrationTable& table, std::int32_t frequency) {
  if (frequency <= 0) return 0.0f;
  return SpeedFromSpan(FindCalibrationSpan(table, frequency), frequency);
}
