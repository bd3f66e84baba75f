// The number reading and writing rules, checked against the C library itself (this test process
// runs in the C locale), over hand-picked and generated inputs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "core/c_format.h"

namespace {

std::string RandomText(std::mt19937& rng, std::string_view alphabet, std::size_t maxLength) {
  std::uniform_int_distribution<std::size_t> length(0, maxLength);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string text(length(rng), ' ');
  for (char& c : text) c = alphabet[pick(rng)];
  return text;
}

// What sscanf("%d") makes of text: nullopt when it converts nothing.
std::optional<int> CScanInt(const std::string& text) {
  int value = 0;
  if (std::sscanf(text.c_str(), "%d", &value) != 1) return std::nullopt;
  return value;
}

// ScanFloat against sscanf("%f%n"): the same success, the same characters taken, the same bits.
void ExpectSameAsScanf(const std::string& text) {
  SCOPED_TRACE("text \"" + text + "\"");
  float expected = 0.0f;
  int taken = -1;
  const bool converted = std::sscanf(text.c_str(), "%f%n", &expected, &taken) == 1;
  std::size_t consumed = 12345;
  const auto actual = ScanFloat(text, &consumed);
  if (!converted) {
    EXPECT_FALSE(actual.has_value());
    return;
  }
  ASSERT_TRUE(actual.has_value());
  EXPECT_EQ(consumed, static_cast<std::size_t>(taken));
  if (std::isnan(expected)) {
    EXPECT_TRUE(std::isnan(*actual));
  } else {
    // Bitwise, so that -0 and 0 and every rounding difference count.
    EXPECT_EQ(std::memcmp(&expected, &*actual, sizeof expected), 0)
        << "sscanf " << expected << " ScanFloat " << *actual;
  }
}

std::string CFormat(double value, int width, int precision) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%*.*f", width, precision, value);
  return buffer;
}

}  // namespace

TEST(ScanInt, ReadsLikeScanfPercentDWithinTheInt32Range) {
  EXPECT_EQ(ScanInt("\t\n\v\f\r+7x"), 7);
  EXPECT_EQ(ScanInt("2147483647"), std::numeric_limits<int>::max());
  EXPECT_EQ(ScanInt("-2147483648"), std::numeric_limits<int>::min());
  EXPECT_EQ(ScanInt("000000000002147483647"), std::numeric_limits<int>::max());
  for (const char* text : {"", "   ", "-", "x1", "- 5", "+-5", "2147483648", "-2147483649",
                           "99999999999999999999999999"}) {
    EXPECT_FALSE(ScanInt(text).has_value()) << '"' << text << '"';
  }
}

TEST(ScanInt, AgreesWithSscanfOnShortFields) {
  std::mt19937 rng(7);
  for (int i = 0; i < 20000; ++i) {
    const std::string text = RandomText(rng, " \t+-0123456789x.", 6);
    EXPECT_EQ(ScanInt(text), CScanInt(text)) << '"' << text << '"';
  }
}

TEST(ScanFloat, HandPickedFormsMatchSscanf) {
  // A table reads in rows.
  // clang-format off
  for (const char* text :
       {"12.5", "  -4", "-3.2", ".5", "5.", ".", "-.e1", "1e5", "1e", "1e+", "1.5e-3x", "+-5",
        "--1", "0x1p3", "0X1.8P1", "0x", "0x.", "0x.p1", "0xg", "-0x1p-2", "0x-1", "0x1p",
        "inf", "-INF", "infin", "Infinity", "nan", "NaN(abc_1)", "nan(abc", "-nan", "1e39",
        "-1e39", "1e-50", "1e-45", "1e-46", "0x1p-149", "0x1p-150", "0x1p128", "3.4028235e38",
        "3.4028236e38", "1e999999999999999", "1e-999999999999", "0.000000000000000000000000001e-30",
        "100000000000000000000000000000000000000000", "0e999999", "00000.0000e-99999", "  ", "",
        " abc", "1,5", "0x1.fffffep127", "0x1.ffffffp127", "1.17549435e-38", "7.0064923e-46",
        "0x ", "0xp1", "0Xg", "00x1", "0x1e5", "-0x", "+", "3ENE", "infx", "inFINITYx", "-i",
        "nax", "1e+-2", "1.2.3", "\v-1E-1", "0.e", "x0"}) {
    // clang-format on
    ExpectSameAsScanf(text);
  }
}

TEST(ScanFloat, GeneratedTextMatchesSscanf) {
  std::mt19937 rng(11);
  for (int i = 0; i < 50000; ++i) ExpectSameAsScanf(RandomText(rng, " +-.0123456789eE", 9));
  for (int i = 0; i < 30000; ++i) ExpectSameAsScanf(RandomText(rng, " -.019afpPxX", 9));
  for (int i = 0; i < 20000; ++i) ExpectSameAsScanf(RandomText(rng, "-infatyINF(_)1", 10));
  // The packet's four-byte temperature field, and numbers glued to letters.
  for (int i = 0; i < 30000; ++i) ExpectSameAsScanf(RandomText(rng, " \t+-.05xXeEpinfaNW", 4));
}

TEST(ScanFloat, PrintedFloatsReadBackExactly) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<std::uint32_t> bits;
  for (int i = 0; i < 20000; ++i) {
    const std::uint32_t pattern = bits(rng);
    float value;
    std::memcpy(&value, &pattern, sizeof value);
    if (!std::isfinite(value)) continue;
    char text[64];
    std::snprintf(text, sizeof text, i % 2 ? "%.9g" : "%a", static_cast<double>(value));
    ExpectSameAsScanf(text);
  }
}

TEST(FormatFixed, MatchesPrintfForGeneratedValues) {
  std::mt19937_64 rng(5);
  std::uniform_int_distribution<std::uint64_t> bits;
  std::uniform_int_distribution<int> width(-12, 14);
  std::uniform_int_distribution<int> precision(0, 12);
  std::uniform_real_distribution<double> ordinary(-1000.0, 1000.0);
  for (int i = 0; i < 30000; ++i) {
    double value;
    if (i % 3 == 0) {
      const std::uint64_t pattern = bits(rng);
      std::memcpy(&value, &pattern, sizeof value);
      if (!std::isfinite(value)) continue;
    } else if (i % 3 == 1) {
      value = ordinary(rng);
    } else {
      value = static_cast<double>(static_cast<float>(ordinary(rng)));  // what the records hold
    }
    const int w = width(rng);
    const int p = precision(rng);
    ASSERT_EQ(FormatFixed(value, w, p), CFormat(value, w, p)) << value << ' ' << w << ' ' << p;
  }
}

TEST(FormatFixed, RoundsTiesAndSignsLikePrintf) {
  // Exact binary halves, values that round to zero, and the extremes.
  for (double value :
       {0.5, 1.5, 2.5, -2.5, 0.125, 0.375, -0.0, -0.001, -0.004999, 1e300, -1.7976931348623157e308,
        4.9e-324, 12149.0, 2169.46435546875, 2271.699951171875, 0.005, 99.995}) {
    for (int precision : {0, 1, 2, 6}) {
      EXPECT_EQ(FormatFixed(value, 0, precision), CFormat(value, 0, precision))
          << value << " precision " << precision;
    }
  }
  EXPECT_EQ(FormatFixed(12149.0), "12149.000000");
  EXPECT_EQ(FormatFixed(static_cast<double>(2169.464355f)), "2169.464355");
  EXPECT_EQ(FormatFixed(3.14159, 8, 2), "    3.14");
  EXPECT_EQ(FormatFixed(3.14159, -8, 2), "3.14    ");
  EXPECT_EQ(FormatFixed(3.0, 0, -1), CFormat(3.0, 0, -1));
  EXPECT_EQ(PadLeft("NNE", 6), "   NNE");
  EXPECT_EQ(PadLeft("12.345", 3), "12.345");
}

TEST(FormatFixed, NonFiniteValuesAsGlibcPrintsThem) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(FormatFixed(nan, 0, 2), "nan");
  EXPECT_EQ(FormatFixed(-nan, 0, 2), "-nan");
  EXPECT_EQ(FormatFixed(inf, 0, 2), "inf");
  EXPECT_EQ(FormatFixed(-inf, 6, 2), "  -inf");
  for (double value : {nan, -nan, inf, -inf}) {
    for (int width : {0, 5, -7}) {
      EXPECT_EQ(FormatFixed(value, width, 2), CFormat(value, width, 2));
    }
  }
}
