// Where the program's own files are looked for: portable and installed use.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/program_files.h"
#include "tests/support/temporary_program_dir.h"

namespace fs = std::filesystem;

namespace {

struct LocateCase {
  const char* name;
  const char* fileBesideExecutable;  // nullptr: the folder holds none of the program's files
  const char* home;
  const char* xdgConfigHome;
  const char* expectedDir;  // "EXE", or relative to the scratch folder
  const char* xdgDataHome = "";
  const char* expectedArchiveDir = nullptr;  // as expectedDir; nullptr: not checked
};

class LocateProgramFilesTest : public ::testing::TestWithParam<LocateCase> {};

TEST_P(LocateProgramFilesTest, ChoosesTheFolder) {
  const LocateCase& c = GetParam();
  TemporaryProgramDir scratch;
  const fs::path exe = scratch.File("usr/bin");
  fs::create_directories(exe);
  if (c.fileBesideExecutable != nullptr)
    scratch.Write(std::string("usr/bin/") + c.fileBesideExecutable, "");
  // A name is taken in the scratch folder; "" and names starting with "." are passed as they are.
  auto inScratch = [&](const char* name) {
    return name[0] == '.' || name[0] == '\0' ? std::string(name) : (scratch.Path() / name).string();
  };
  const ProgramFiles files =
      LocateProgramFiles({exe, inScratch(c.home), inScratch(c.xdgConfigHome), ""});
  auto expected = [&](const char* dir) {
    return std::string(dir) == "EXE" ? exe : scratch.Path() / dir;
  };
  EXPECT_EQ(files.dir, expected(c.expectedDir));
  if (c.expectedArchiveDir != nullptr) {
    EXPECT_EQ(DefaultArchiveFile(
                  {exe, inScratch(c.home), inScratch(c.xdgConfigHome), inScratch(c.xdgDataHome)}),
              expected(c.expectedArchiveDir) / "archive.sqlite");
  }
  EXPECT_EQ(files.defaultsDir, scratch.Path() / "usr/share/kelvra-anemometer");
}

INSTANTIATE_TEST_SUITE_P(
    Rule, LocateProgramFilesTest,
    ::testing::Values(
        LocateCase{"CalibrationTableBesideExecutable", "anemometer.cal", "home", "", "EXE", "xdgd",
                   "EXE"},
        LocateCase{"SettingsBesideExecutable", "anemometer.ini", "home", "xdg", "EXE"},
        LocateCase{"OnlyAnAlarmSoundIsNotPortable", "alarm.wav", "home", "",
                   "home/.config/kelvra-anemometer"},
        LocateCase{"InstalledUsesXdgConfigHome", nullptr, "home", "xdg", "xdg/kelvra-anemometer",
                   "xdgd", "xdgd/kelvra-anemometer"},
        LocateCase{"InstalledDefaultsToDotConfig", nullptr, "home", "",
                   "home/.config/kelvra-anemometer", "", "home/.local/share/kelvra-anemometer"},
        LocateCase{"RelativeXdgConfigHomeIsIgnored", nullptr, "home", "./xdg",
                   "home/.config/kelvra-anemometer", "./xdgd",
                   "home/.local/share/kelvra-anemometer"},
        LocateCase{"NoHomeStaysBesideExecutable", nullptr, "", "", "EXE", "", "EXE"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(ProgramFilesTest, ConfigDirOverridesTheRule) {
  TemporaryProgramDir scratch;
  scratch.Write("anemometer.cal", "");
  const ProgramFiles files =
      LocateProgramFiles({scratch.Path(), "/home/x", "", ""}, scratch.File("elsewhere"));
  EXPECT_EQ(files.dir, scratch.File("elsewhere"));
}

// The user's own file wins; a missing one comes from the installed defaults; a name found in
// neither stays in the user's folder, where it would be written.
TEST(ProgramFilesTest, ReadsOwnFileThenDefaultThenOwnName) {
  TemporaryProgramDir scratch;
  const ProgramFiles files{scratch.File("own/sub"), scratch.File("defaults")};
  fs::create_directories(files.defaultsDir);
  scratch.Write("defaults/alarm.wav", "default");
  scratch.Write("defaults/anemometer.cal", "default");
  EXPECT_EQ(files.ReadPath("anemometer.ini"), files.dir / "anemometer.ini");
  EXPECT_EQ(files.ReadPath("alarm.wav"), files.defaultsDir / "alarm.wav");

  ASSERT_TRUE(files.MakeDir());
  scratch.Write("own/sub/alarm.wav", "mine");
  EXPECT_EQ(files.ReadPath("alarm.wav"), files.dir / "alarm.wav");
  EXPECT_EQ(files.WritePath("anemometer.cal"), files.dir / "anemometer.cal");

  // Created with its parents, and refused where a file stands in the way.
  const ProgramFiles blocked{scratch.File("defaults/alarm.wav/x"), {}};
  EXPECT_FALSE(blocked.MakeDir());
}

}  // namespace
