#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "files/settings_file.h"
#include "tests/files/files_test_helpers.h"

namespace fs = std::filesystem;

namespace {

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A program folder whose name is not ASCII: the path must reach the system as it is.
    ASSERT_TRUE(fs::create_directory(programDir_));
    path_ = SettingsPath(programDir_);
  }

  void Write(const std::string& content) const { WriteBytes(path_, content); }

  std::string Read() const {
    return fs::is_regular_file(path_) ? ReadBytes(path_) : "<unreadable>";
  }

  LoadedSettings LoadFrom(const std::string& content) const {
    Write(content);
    return LoadSettingsFile(path_);
  }

  TempDir dir_;
  const fs::path programDir_ = dir_ / "Měření větru";
  fs::path path_;
};

}  // namespace

TEST_F(SettingsFileTest, MissingFileGivesTheDefaultsSilently) {
  EXPECT_EQ(SettingsPath("/opt/kelvra/bin"), fs::path("/opt/kelvra/bin/anemometer.ini"));
  EXPECT_EQ(path_, programDir_ / "anemometer.ini");
  const LoadedSettings loaded = LoadSettingsFile(path_);
  EXPECT_EQ(loaded.DirectionOffset, 0);
  EXPECT_EQ(loaded.CompassChartType, 1);
  EXPECT_FALSE(loaded.FileUnreadable);
  EXPECT_FALSE(fs::exists(path_));
}

TEST_F(SettingsFileTest, ValuesAreReadLikeTheWindowsProfileFunctions) {
  struct Case {
    std::string content;
    int offset, chartType;
  };
  const Case cases[] = {
      {"[Anemometer]\r\nPosunutiSmeruVetru=15\r\nTypGrafuNaKompasu=2\r\n", 15, 2},
      {"  [anemometer]  \n\t posunutismeruvetru  =   12 \t\n TYPGRAFUNAKOMPASU= +3", 12, 3},
      {"[Anemometer]\nPosunutiSmeruVetru=\"9\"\nTypGrafuNaKompasu=' 2'\n", 9, 2},
      {"[Anemometer]\nPosunutiSmeruVetru=11 sectors\nTypGrafuNaKompasu=2.9\n", 11, 2},
      // Keys outside the section or commented out; only the first of two equal keys and of two
      // equal sections count.
      {"PosunutiSmeruVetru=5\n[Other]\nTypGrafuNaKompasu=3\n[Anemometer]\n"
       ";TypGrafuNaKompasu=2\n",
       0, 1},
      {"[Anemometer]\nPosunutiSmeruVetru=3\nPosunutiSmeruVetru=5\n[ANEMOMETER]\n"
       "TypGrafuNaKompasu=3\n",
       3, 1},
      // Out of range, or without a leading integer.
      {"[Anemometer]\nPosunutiSmeruVetru=16\nTypGrafuNaKompasu=0\n", 0, 1},
      {"[Anemometer]\nPosunutiSmeruVetru=-1\nTypGrafuNaKompasu=4\n", 0, 1},
      {"[Anemometer]\nPosunutiSmeruVetru=abc\nTypGrafuNaKompasu=\n", 0, 1},
      {"[Anemometer]\nPosunutiSmeruVetru=\"5\nTypGrafuNaKompasu=-\n", 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    const LoadedSettings loaded = LoadFrom(c.content);
    EXPECT_EQ(loaded.DirectionOffset, c.offset);
    EXPECT_EQ(loaded.CompassChartType, c.chartType);
    EXPECT_FALSE(loaded.FileUnreadable);
  }
  // The raw reader gives the default only where there is no leading integer.
  Write("[Anemometer]\nA=junk\nB=-42x\n");
  EXPECT_EQ(GetPrivateProfileInt("anemometer", "A", 77, path_), 77);
  EXPECT_EQ(GetPrivateProfileInt("anemometer", "B", 77, path_), -42);
}

TEST_F(SettingsFileTest, ExistingButUnreadableFileIsReported) {
  ASSERT_TRUE(fs::create_directory(path_));  // a directory where the file should be
  const LoadedSettings loaded = LoadSettingsFile(path_);
  EXPECT_TRUE(loaded.FileUnreadable);
  EXPECT_EQ(loaded.DirectionOffset, 0);
  EXPECT_EQ(loaded.CompassChartType, 1);
  EXPECT_FALSE(SaveSettingsFile(path_, 3, 2));
}

TEST_F(SettingsFileTest, EveryChangeIsWrittenAndReadBack) {
  ASSERT_TRUE(SaveSettingsFile(path_, 3, 2));
  EXPECT_EQ(Read(), "[Anemometer]\r\nPosunutiSmeruVetru=3\r\nTypGrafuNaKompasu=2\r\n");
  for (int offset = 0; offset <= 15; ++offset) {
    ASSERT_TRUE(SaveSettingsFile(path_, offset, 1 + offset % 3));
    const LoadedSettings loaded = LoadSettingsFile(path_);
    EXPECT_EQ(loaded.DirectionOffset, offset);
    EXPECT_EQ(loaded.CompassChartType, 1 + offset % 3);
  }
  EXPECT_EQ(Read(), "[Anemometer]\r\nPosunutiSmeruVetru=15\r\nTypGrafuNaKompasu=1\r\n");
}

TEST_F(SettingsFileTest, WritingKeepsEveryOtherLine) {
  // Line feeds only: the key's line is replaced in place keeping its spelling, a missing key
  // joins its section, and the rest is untouched.
  Write(
      "; settings\n[Display]\nPosunutiSmeruVetru=1\n\n[anemometer]\n  posunutismeruvetru = 4 \n"
      "Colour=blue\n\n[Last]\nX=1\n");
  ASSERT_TRUE(SaveSettingsFile(path_, 9, 3));
  EXPECT_EQ(Read(),
            "; settings\n[Display]\nPosunutiSmeruVetru=1\n\n[anemometer]\n"
            "posunutismeruvetru=9\nColour=blue\nTypGrafuNaKompasu=3\n\n[Last]\nX=1\n");
  // CR LF line ends are kept; a missing section is added at the end.
  Write("[Other]\r\nKey=Value");
  ASSERT_TRUE(SaveSettingsFile(path_, 2, 1));
  EXPECT_EQ(Read(),
            "[Other]\r\nKey=Value\r\n\r\n[Anemometer]\r\nPosunutiSmeruVetru=2\r\n"
            "TypGrafuNaKompasu=1\r\n");
}

TEST_F(SettingsFileTest, WriteProtectedFileGivesFailureAndStaysAsItWas) {
  const std::string before = "[Anemometer]\nPosunutiSmeruVetru=4\nTypGrafuNaKompasu=2\n";
  Write(before);
  fs::permissions(path_, fs::perms::owner_read | fs::perms::group_read);
  EXPECT_FALSE(SaveSettingsFile(path_, 7, 3));
  EXPECT_EQ(Read(), before);
  EXPECT_EQ(LoadSettingsFile(path_).DirectionOffset, 4);
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(SaveSettingsFile(path_, 7, 3));
  EXPECT_EQ(LoadSettingsFile(path_).DirectionOffset, 7);
  // Nor can a program directory that is gone take the file.
  EXPECT_FALSE(SaveSettingsFile(SettingsPath(programDir_ / "gone"), 1, 1));
}
