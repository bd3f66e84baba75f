#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "device/usb_anemometer.h"
#include "tests/install/packaging_file.h"

namespace {

// udev reads rules files in the order of their names: this one must come before
// 73-seat-late.rules, which turns the uaccess tag into an ACL.
constexpr const char* kRuleFileName = "70-kelvra-anemometer.rules";

// The rule lines of the file, comments and blank lines left out.
std::vector<std::string> RuleLines(const char* file = kRuleFileName) {
  std::istringstream in(ReadPackagingFile(file));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    const auto start = line.find_first_not_of(" \t");
    if (start != std::string::npos && line[start] != '#') lines.push_back(line);
  }
  return lines;
}

TEST(UdevRule, GivesTheSeatUserTheHidrawNodeOfTheDeviceTheProgramLooksFor) {
  const std::vector<std::string> lines = RuleLines();
  ASSERT_EQ(lines.size(), 1u) << "one rule expected in " << kRuleFileName;
  const std::string& rule = lines.front();
  // hidapi's hidraw backend opens /dev/hidrawN; access to the USB device node would not help.
  using ::testing::HasSubstr;
  EXPECT_THAT(rule, HasSubstr("KERNEL==\"hidraw*\""));
  EXPECT_THAT(rule, HasSubstr("ATTRS{idVendor}==\"" + HexId(kAnemometerVendorId, false) + "\""));
  EXPECT_THAT(rule, HasSubstr("ATTRS{idProduct}==\"" + HexId(kAnemometerProductId, false) + "\""));
  EXPECT_THAT(rule, HasSubstr("TAG+=\"uaccess\""));
}

// The logger's service has no seat: the node goes to the group its unit runs in, which the
// package creates.
TEST(UdevRule, GivesTheLoggersServiceGroupTheSameNodeOnly) {
  const std::vector<std::string> lines = RuleLines("70-kelvra-anemometer-logger.rules");
  ASSERT_EQ(lines.size(), 1u);
  using ::testing::HasSubstr;
  const std::string& rule = lines.front();
  EXPECT_THAT(rule, HasSubstr("KERNEL==\"hidraw*\""));
  EXPECT_THAT(rule, HasSubstr("ATTRS{idVendor}==\"" + HexId(kAnemometerVendorId, false) + "\""));
  EXPECT_THAT(rule, HasSubstr("ATTRS{idProduct}==\"" + HexId(kAnemometerProductId, false) + "\""));
  EXPECT_THAT(rule, HasSubstr("GROUP=\"kelvra-anemometer\""));
  EXPECT_THAT(rule, HasSubstr("MODE=\"0660\""));
  EXPECT_THAT(ReadPackagingFile("kelvra-anemometer-logger.service.in"),
              HasSubstr("\nSupplementaryGroups=kelvra-anemometer\n"));
  EXPECT_THAT(ReadPackagingFile("kelvra-anemometer.sysusers"), HasSubstr("\ng kelvra-anemometer "));
}

}  // namespace
