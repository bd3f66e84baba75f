// Compass-point names and the date and time text shared by the grid, the files and the report.
#include <gtest/gtest.h>

#include <string>

#include "core/date_time_text.h"
#include "core/direction_sector.h"

TEST(SectorName, SixteenPointsClockwiseFromNorth) {
  const char* expected[] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                            "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
  for (DirectionSector sector = 0; sector < kSectorCount; ++sector) {
    EXPECT_STREQ(SectorName(sector), expected[sector]);
  }
  for (DirectionSector outside : {kNoDirection, -1, 17, 1000, INT32_MIN, INT32_MAX}) {
    EXPECT_STREQ(SectorName(outside), "--") << outside;
  }
}

TEST(SectorFromName, MatchesWholeNamesInAnyCase) {
  for (DirectionSector sector = 0; sector < kSectorCount; ++sector) {
    const std::string name = SectorName(sector);
    EXPECT_EQ(SectorFromName(name), sector);
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(c - 'A' + 'a');
    EXPECT_EQ(SectorFromName(lower), sector) << lower;
  }
  EXPECT_EQ(SectorFromName("wsw"), 11);
  EXPECT_EQ(SectorFromName("nNe"), 1);
  for (const char* text : {"--", "NORTH", "", "N ", " N", "NN", "NNEE", "Ž"}) {
    EXPECT_EQ(SectorFromName(text), kNoDirection) << text;
  }
  EXPECT_EQ(SectorFromName(std::string_view("N\0", 2)), kNoDirection);
}

TEST(DateTimeText, DayAndMonthUnpaddedTimeInTwoDigits) {
  SystemTime time;
  time.Year = 2008;
  time.Month = 12;
  time.Day = 6;
  time.Hour = 9;
  time.Minute = 5;
  time.Second = 7;
  time.DayOfWeek = 6;
  time.Millisecond = 999;
  EXPECT_EQ(DateTimeText(time), "6.12 2008 09:05:07");

  time = {2008, 1, 4, 31, 23, 59, 59, 0};
  EXPECT_EQ(DateTimeText(time), "31.1 2008 23:59:59");

  time = {};
  EXPECT_EQ(DateTimeText(time), "0.0 0 00:00:00");
  time = {65535, 65535, 65535, 65535, 65535, 100, 65535, 65535};
  EXPECT_EQ(DateTimeText(time), "65535.65535 65535 65535:100:65535");
}
