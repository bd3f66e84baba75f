#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "device/usb_anemometer.h"
#include "tests/install/packaging_file.h"

namespace {

constexpr const char* kMetainfoFileName = "cz.kelvra.anemometer.metainfo.xml";

// The value of attribute on the first element named tag; empty when that element lacks it.
std::string AttributeOfFirst(const std::string& xml, const std::string& tag,
                             const std::string& attribute) {
  const auto element = xml.find("<" + tag + " ");
  if (element == std::string::npos) return {};
  const auto end = xml.find('>', element);
  const auto at = xml.find(attribute + "=\"", element);
  if (at == std::string::npos || at > end) return {};
  const auto valueStart = at + attribute.size() + 2;
  return xml.substr(valueStart, xml.find('"', valueStart) - valueStart);
}

TEST(Metainfo, NewestReleaseIsTheVersionBeingBuilt) {
  const std::string xml = ReadPackagingFile(kMetainfoFileName);
  ASSERT_FALSE(xml.empty());
  // Software centres show the first release element as the installed version.
  EXPECT_EQ(AttributeOfFirst(xml, "release", "version"), ANEMOMETER_PROJECT_VERSION)
      << "add a release element for the new version at the top of <releases>";
}

TEST(Metainfo, OffersTheProgramForTheAnemometersUsbIdentifiers) {
  const std::string xml = ReadPackagingFile(kMetainfoFileName);
  ASSERT_FALSE(xml.empty());
  const std::string modalias = "<modalias>usb:v" + HexId(kAnemometerVendorId, true) + "p" +
                               HexId(kAnemometerProductId, true) + "d*</modalias>";
  EXPECT_THAT(xml, ::testing::HasSubstr(modalias));
}

// Width and height of a PNG file from its header; zeros when it is not a PNG.
std::pair<unsigned, unsigned> PngSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::array<unsigned char, 24> head{};
  in.read(reinterpret_cast<char*>(head.data()), head.size());
  const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (!in || !std::equal(std::begin(signature), std::end(signature), head.begin())) return {};
  const auto bigEndian = [&head](std::size_t at) {
    return (unsigned{head[at]} << 24) | (unsigned{head[at + 1]} << 16) |
           (unsigned{head[at + 2]} << 8) | unsigned{head[at + 3]};
  };
  return {bigEndian(16), bigEndian(20)};
}

TEST(Metainfo, ScreenshotIsDeclaredWithTheSizeOfTheReadmeScreenshot) {
  const std::string xml = ReadPackagingFile(kMetainfoFileName);
  ASSERT_FALSE(xml.empty());
  const auto [width, height] = PngSize(ANEMOMETER_SCREENSHOT);
  ASSERT_NE(width, 0u) << ANEMOMETER_SCREENSHOT << " is not a PNG";
  EXPECT_EQ(AttributeOfFirst(xml, "image", "width"), std::to_string(width));
  EXPECT_EQ(AttributeOfFirst(xml, "image", "height"), std::to_string(height));
}

}  // namespace
