// Reading and writing anemometer.cal.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "core/calibration.h"
#include "core/calibration_reader.h"  // kCalibrationLinePieceLength
#include "files/posix_file_store.h"

namespace fs = std::filesystem;

namespace {

const fs::path kDataDir = fs::path(ANEMOMETER_TEST_DATA_DIR) / "calibration";

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh directory per test, removed afterwards.
class CalibrationFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / (std::string("core_tests_") + info->name() + "_" +
                                        std::to_string(std::random_device{}()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Write(std::string_view bytes) {
    const fs::path file = dir_ / kCalibrationFileName;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }

  int LoadText(std::string_view bytes) { return LoadCalibration(store_, Write(bytes), table_); }

  PosixFileStore store_;
  fs::path dir_;
  CalibrationTable table_ = {{1.0f, 1.0f}};  // something a load must replace
};

}  // namespace

TEST_F(CalibrationFileTest, SavedDefaultsAreTheGoldenFileAndReadBack) {
  const fs::path file = dir_ / kCalibrationFileName;
  ASSERT_EQ(SaveCalibration(store_, file, DefaultCalibrationTable()), 0);
  EXPECT_EQ(ReadBytes(file), ReadBytes(kDataDir / "default.cal"));

  ASSERT_EQ(LoadCalibration(store_, kDataDir / "default.cal", table_), 0);
  EXPECT_EQ(table_, DefaultCalibrationTable());
}

TEST_F(CalibrationFileTest, SavingTruncatesAndKeepsEveryValue) {
  const fs::path file = Write(std::string(5000, 'x'));
  const CalibrationTable table = {{0.5f, -1234.25f}, {3.40282347e38f, 1e-7f}};
  ASSERT_EQ(SaveCalibration(store_, file, table), 0);
  EXPECT_EQ(ReadBytes(file),
            "0.500000 -1234.250000\n"
            "340282346638528859811704183484516925440.000000 0.000000\n");
  ASSERT_EQ(SaveCalibration(store_, file, {}), 0);
  EXPECT_EQ(ReadBytes(file), "");
}

TEST_F(CalibrationFileTest, SaveFailuresAreReported) {
  EXPECT_EQ(
      SaveCalibration(store_, dir_ / "missing" / kCalibrationFileName, DefaultCalibrationTable()),
      -1);
  EXPECT_EQ(SaveCalibration(store_, dir_, DefaultCalibrationTable()), -1);  // a directory
  if (fs::exists("/dev/full")) {
    // Not a regular file: refused before anything is written.
    EXPECT_EQ(SaveCalibration(store_, "/dev/full", DefaultCalibrationTable()), -1);
  }
}

TEST_F(CalibrationFileTest, OneLineTableConverts) {
  ASSERT_EQ(LoadText("1000.000000 500.000000\n"), 0);
  ASSERT_EQ(table_.size(), 1u);
  EXPECT_EQ(SpeedFromFrequency(table_, 1000), 2.0f);
  EXPECT_EQ(SpeedFromFrequency(table_, 400), 2.0f);
  EXPECT_EQ(SpeedFromFrequency(table_, 3000), 6.0f);
}

TEST_F(CalibrationFileTest, LooseButValidLines) {
  // White space before and between the numbers, any trailing text, CR LF line ends, exponents,
  // and a last line without a newline.
  ASSERT_EQ(LoadText("  \t1000 500\n2e3\t\t  8e2 comment\r\n3000.5 900  \n 4000-950"), 0);
  const CalibrationTable expected = {
      {1000.0f, 500.0f}, {2000.0f, 800.0f}, {3000.5f, 900.0f}, {4000.0f, -950.0f}};
  EXPECT_EQ(table_, expected);

  ASSERT_EQ(LoadCalibration(store_, kDataDir / "crlf.cal", table_), 0);
  EXPECT_EQ(table_, (CalibrationTable{{1000.0f, 500.0f}, {2000.0f, 800.0f}}));

  EXPECT_EQ(LoadText(""), 0);
  EXPECT_TRUE(table_.empty());
}

TEST_F(CalibrationFileTest, BadLinesFailAndKeepTheRowsBeforeThem) {
  ASSERT_EQ(LoadCalibration(store_, kDataDir / "blank_last_line.cal", table_), -1);
  EXPECT_EQ(table_, (CalibrationTable{{1000.0f, 500.0f}, {2000.0f, 800.0f}}));

  for (const char* bad : {"1000 500\n   \n", "1000 500\n1000\n", "1000 500\nabc 5\n",
                          "1000 500\n1000 x5\n", "1000 500\n\r\n"}) {
    EXPECT_EQ(LoadText(bad), -1) << bad;
    EXPECT_EQ(table_, (CalibrationTable{{1000.0f, 500.0f}})) << bad;
  }
}

TEST_F(CalibrationFileTest, NonFiniteNumbersAreNotNumbers) {
  for (const char* bad : {"nan 500\n", "1000 inf\n", "1000 -INFINITY\n", "1e39 500\n",
                          "1000 -1e39\n", "1000 nan(1)\n"}) {
    EXPECT_EQ(LoadText(bad), -1) << bad;
    EXPECT_TRUE(table_.empty()) << bad;
  }
  // Too small for float is not infinite: it reads as zero, as strtof gives it.
  ASSERT_EQ(LoadText("1e-50 500\n"), 0);
  EXPECT_EQ(table_, (CalibrationTable{{0.0f, 500.0f}}));
}

TEST_F(CalibrationFileTest, LongLinesAreReadIn149CharacterPieces) {
  // 148 characters and the newline fit in one piece.
  ASSERT_EQ(LoadText(std::string(140, ' ') + "1000 500\n"), 0);
  EXPECT_EQ(table_.size(), 1u);
  // 149 characters fill the piece; the newline alone is then an empty line.
  EXPECT_EQ(LoadText(std::string(141, ' ') + "1000 500\n"), -1);
  EXPECT_EQ(table_.size(), 1u);
  // A long line can hold two entries when the cut falls between them.
  const std::string first = "1 2" + std::string(146, 'x');
  ASSERT_EQ(first.size(), kCalibrationLinePieceLength);
  ASSERT_EQ(LoadText(first + "3 4\n"), 0);
  EXPECT_EQ(table_, (CalibrationTable{{1.0f, 2.0f}, {3.0f, 4.0f}}));
  // A number cut by the piece boundary is read as two.
  ASSERT_EQ(LoadText(std::string(146, ' ') + "7 12" + "5 6\n"), 0);
  EXPECT_EQ(table_, (CalibrationTable{{7.0f, 1.0f}, {25.0f, 6.0f}}));
}

TEST_F(CalibrationFileTest, TextOfALineEndsAtANulByte) {
  EXPECT_EQ(LoadText(std::string("1000\0 500\n", 10)), -1);
  ASSERT_EQ(LoadText(std::string("1000 500\0garbage\n2000 800\n", 26)), 0);
  EXPECT_EQ(table_, (CalibrationTable{{1000.0f, 500.0f}, {2000.0f, 800.0f}}));
}

TEST_F(CalibrationFileTest, UnreadableFilesFail) {
  EXPECT_EQ(LoadCalibration(store_, dir_ / "missing.cal", table_), -1);
  EXPECT_TRUE(table_.empty());
  table_ = {{1.0f, 1.0f}};
  EXPECT_EQ(LoadCalibration(store_, dir_, table_), -1);  // a directory opens, but reading it fails
  EXPECT_TRUE(table_.empty());
}
