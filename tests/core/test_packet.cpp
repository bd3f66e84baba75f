// Reading the fields of one device report, and the sector of a direction code.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <utility>

#include "core/packet.h"
#include "core/packet_encoder.h"
#include "tests/support/packet_builder.h"

TEST(ParsePacket, ReadsEveryField) {
  Packet packet = MakePacket(0x01020304, "01000", "02000", "05", "12.5");
  packet[0] = 0xAB;  // report identifier and byte 17 are not read
  packet[17] = 'x';
  const auto fields = ParsePacket(packet);
  ASSERT_TRUE(fields.has_value());
  EXPECT_EQ(fields->Counter, 0x01020304);
  EXPECT_EQ(fields->AvgFrequency, 1000);
  EXPECT_EQ(fields->GustFrequency, 2000);
  EXPECT_EQ(fields->DirectionCode, 5);
  EXPECT_EQ(fields->Temperature, 12.5f);
}

TEST(ParsePacket, CounterIsBigEndianSigned) {
  const auto counterOf = [](std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4) {
    Packet packet = MakePacket(0);
    packet[1] = b1;
    packet[2] = b2;
    packet[3] = b3;
    packet[4] = b4;
    return ParsePacket(packet).value().Counter;
  };
  EXPECT_EQ(counterOf(0, 0, 1, 0), 256);
  EXPECT_EQ(counterOf(0xFF, 0xFF, 0xFF, 0xFF), -1);
  EXPECT_EQ(counterOf(0x80, 0, 0, 0), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(counterOf(0x7F, 0xFF, 0xFF, 0xFE), std::numeric_limits<std::int32_t>::max() - 1);
}

TEST(ParsePacket, FieldsEndAtTheirLastByte) {
  // Full-width fields next to each other must not run into one another.
  const auto fields = ParsePacket(MakePacket(1, "12345", "67890", "16", "-9.5"));
  ASSERT_TRUE(fields.has_value());
  EXPECT_EQ(fields->AvgFrequency, 12345);
  EXPECT_EQ(fields->GustFrequency, 67890);
  EXPECT_EQ(fields->DirectionCode, 16);
  EXPECT_EQ(fields->Temperature, -9.5f);

  Packet packet = MakePacket(1, "1", "2", "3", "4");
  packet[17] = '7';  // right after the direction code
  EXPECT_EQ(ParsePacket(packet).value().DirectionCode, 3);
}

TEST(ParsePacket, CLibraryNumberRules) {
  struct Case {
    const char* avg;
    const char* gust;
    const char* direction;
    const char* temperature;
    int expectedAvg;
    int expectedGust;
    int expectedDirection;
    float expectedTemperature;
  };
  const Case cases[] = {
      {"  -12", "+0042", " 7", "  -4", -12, 42, 7, -4.0f},
      {"1 2 3", "9x999", "1x", "1e1 ", 1, 9, 1, 10.0f},
      {"12", "3", "0", "-.5", 12, 3, 0, -0.5f},
      {"\t\n99", "00000", "-9", "3e38", 99, 0, -9, 3e38f},
      {"0", "0", "99", "0x1A", 0, 0, 99, 26.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.avg) + "|" + c.gust + "|" + c.direction + "|" + c.temperature);
    const auto fields = ParsePacket(MakePacket(1, c.avg, c.gust, c.direction, c.temperature));
    ASSERT_TRUE(fields.has_value());
    EXPECT_EQ(fields->AvgFrequency, c.expectedAvg);
    EXPECT_EQ(fields->GustFrequency, c.expectedGust);
    EXPECT_EQ(fields->DirectionCode, c.expectedDirection);
    EXPECT_EQ(fields->Temperature, c.expectedTemperature);
  }
}

TEST(ParsePacket, NulByteEndsTheTextOfAField) {
  Packet packet = MakePacket(1);
  const char average[] = {'3', '\0', '4', '\0', '\0'};  // its text is "3"
  PutFieldBytes(packet, kAvgFrequencyField, {average, sizeof average});
  EXPECT_EQ(ParsePacket(packet).value().AvgFrequency, 3);
  packet[kAvgFrequencyField.First] = '\0';  // now the text is empty
  EXPECT_FALSE(ParsePacket(packet));
}

TEST(ParsePacket, FieldsThatReadNoNumberAreFormatErrors) {
  EXPECT_FALSE(ParsePacket(MakePacket(1, "01000", "abcde", "05", "12.5")));
  EXPECT_FALSE(ParsePacket(MakePacket(1, "     ", "02000", "05", "12.5")));
  EXPECT_FALSE(ParsePacket(MakePacket(1, "", "02000", "05", "12.5")));
  EXPECT_FALSE(ParsePacket(MakePacket(1, "01000", "02000", "-", "12.5")));
  EXPECT_FALSE(ParsePacket(MakePacket(1, "01000", "02000", "05", " abc")));
  EXPECT_FALSE(ParsePacket(MakePacket(1, "01000", "02000", "05", "")));
  EXPECT_FALSE(ParsePacket(MakePacket(1, "01000", "02000", "05", ".")));
  for (const char* temperature : {"0x", " 0x", "-0x", "0xg", "infi", "+"}) {
    EXPECT_FALSE(ParsePacket(MakePacket(1, "01000", "02000", "05", temperature))) << temperature;
  }
  EXPECT_FALSE(ParsePacket(Packet{}));
}

TEST(ParsePacket, NonFiniteTemperatureIsAFormatError) {
  for (const char* temperature : {"nan", "NAN", "-nan", "inf", "-inf", "INF", "9e99"}) {
    EXPECT_FALSE(ParsePacket(MakePacket(1, "01000", "02000", "05", temperature))) << temperature;
  }
}

// Any four bytes of temperature text read as sscanf("%f") reads them, and only finite numbers
// are taken.
TEST(ParsePacket, TemperatureFieldAgreesWithSscanf) {
  std::mt19937 rng(17);
  const std::string_view alphabet = " \t+-.019xXeEpPinfatyN";
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  for (int i = 0; i < 40000; ++i) {
    std::string field(4, ' ');
    for (char& c : field) c = alphabet[pick(rng)];
    float expected = 0.0f;
    const bool valid = std::sscanf(field.c_str(), "%f", &expected) == 1 && std::isfinite(expected);
    const auto fields = ParsePacket(MakePacket(1, "01000", "02000", "05", field.c_str()));
    ASSERT_EQ(fields.has_value(), valid) << '"' << field << '"';
    if (valid) {
      ASSERT_EQ(fields->Temperature, expected) << '"' << field << '"';
    }
  }
}

std::string FieldText(const Packet& packet, PacketField field) {
  return {packet.begin() + static_cast<std::ptrdiff_t>(field.First),
          packet.begin() + static_cast<std::ptrdiff_t>(field.End())};
}

TEST(EncodePacket, ParsingGivesTheValuesBack) {
  const PacketValues cases[] = {
      {0xFFFFFFFF, 0, 0, 0, -9.9},
      {0x80000000, kLargestPacketFrequency, kLargestPacketFrequency, 16, 99.9},
      {0, 1, 12345, 1, -0.5},
      {0x01020304, 1000, 2000, 5, 12.5},
  };
  for (const PacketValues& c : cases) {
    SCOPED_TRACE(c.Counter);
    const auto fields = ParsePacket(EncodePacket(c));
    ASSERT_TRUE(fields.has_value());
    EXPECT_EQ(fields->Counter, static_cast<std::int32_t>(c.Counter));
    EXPECT_EQ(fields->AvgFrequency, c.AvgFrequency);
    EXPECT_EQ(fields->GustFrequency, c.GustFrequency);
    EXPECT_EQ(fields->DirectionCode, c.DirectionCode);
    EXPECT_EQ(fields->Temperature, static_cast<float>(c.Temperature));
  }
}

TEST(EncodePacket, FillsEveryFieldAsTheAnemometerDoes) {
  const Packet packet = EncodePacket({0x01020304, 42, 99999, 3, 4.0});
  EXPECT_EQ(FieldText(packet, kAvgFrequencyField), "00042");
  EXPECT_EQ(FieldText(packet, kGustFrequencyField), "99999");
  EXPECT_EQ(FieldText(packet, kDirectionCodeField), "03");
  EXPECT_EQ(FieldText(packet, kTemperatureField), " 4.0");
  EXPECT_EQ(packet[kReportIdField.First], 0);
  EXPECT_EQ(packet[kUnusedField.First], ' ');
  EXPECT_EQ(packet[1], 0x01);
  EXPECT_EQ(packet[4], 0x04);

  // What does not fit is held at the field's limits.
  const Packet held = EncodePacket({1, -5, 123456, 100, -12.0});
  EXPECT_EQ(FieldText(held, kAvgFrequencyField), "00000");
  EXPECT_EQ(FieldText(held, kGustFrequencyField), "99999");
  EXPECT_EQ(FieldText(held, kDirectionCodeField), "99");
  EXPECT_EQ(FieldText(held, kTemperatureField), "-9.9");

  // One decimal, halves away from zero, no "-0.0".
  const std::pair<double, const char*> temperatures[] = {
      {21.54, "21.5"}, {-3.2, "-3.2"}, {9.96, "10.0"},  {-0.04, " 0.0"},
      {-0.06, "-0.1"}, {0.25, " 0.3"}, {123.0, "99.9"}, {std::nan(""), " 0.0"}};
  for (const auto& [celsius, text] : temperatures) {
    EXPECT_EQ(FieldText(EncodePacket({.Temperature = celsius}), kTemperatureField), text)
        << celsius;
  }
}

TEST(EncodePacketTexts, ShortTextsAreRightAlignedAfterSpacesLongOnesCut) {
  const Packet packet = EncodePacketTexts(1, {"3", "123456", "", "-.5"});
  EXPECT_EQ(FieldText(packet, kAvgFrequencyField), "    3");
  EXPECT_EQ(FieldText(packet, kGustFrequencyField), "12345");
  EXPECT_EQ(FieldText(packet, kDirectionCodeField), "  ");
  EXPECT_EQ(FieldText(packet, kTemperatureField), " -.5");
}

TEST(SectorFromDirectionCode, EverySumUpTo32FollowsTheSingleWrap) {
  // Code 1 is north and each code turns one sector clockwise; 0 and 16 are both NNW.
  EXPECT_EQ(SectorFromDirectionCode(5, 0), 4);
  EXPECT_EQ(SectorFromDirectionCode(16, 15), 14);
  for (std::int32_t code = 0; code <= 16; ++code) {
    for (std::int32_t offset = 0; offset <= 15; ++offset) {
      // The rule for the device's own range: one subtraction of 16, then 0 and 16 are NNW.
      std::int32_t s = code + offset;
      if (s > 16) s -= 16;
      const std::int32_t expected = (s == 0 || s == 16) ? 15 : s - 1;
      EXPECT_EQ(SectorFromDirectionCode(code, offset), expected) << code << '+' << offset;
    }
  }
}

TEST(SectorFromDirectionCode, AnyOtherCodeStillGivesACompassPoint) {
  const std::int32_t extremes[] = {
      std::numeric_limits<std::int32_t>::min(), -1000, -99, -17, -1, 17, 33, 99, 1000,
      std::numeric_limits<std::int32_t>::max()};
  for (std::int32_t code : extremes) {
    for (std::int32_t offset : {0, 1, 15, std::numeric_limits<std::int32_t>::max()}) {
      const std::int32_t sector = SectorFromDirectionCode(code, offset);
      EXPECT_GE(sector, 0);
      EXPECT_LE(sector, 15);
    }
  }
  // Out of range codes continue the same cycle of 16.
  for (std::int32_t code = -40; code <= 60; ++code) {
    EXPECT_EQ(SectorFromDirectionCode(code, 0), SectorFromDirectionCode(code + 16, 0)) << code;
    EXPECT_EQ(SectorFromDirectionCode(code, 1), (SectorFromDirectionCode(code, 0) + 1) % 16);
  }
}
