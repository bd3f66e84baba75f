#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "settings_file.h"

namespace {

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    path_ = SettingsPath(dir_.path());
  }

  void Write(const QByteArray& content) {
    QFile file(path_);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
  }

  QByteArray Read() const {
    QFile file(path_);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>";
  }

  LoadedSettings LoadFrom(const QByteArray& content) {
    Write(content);
    return LoadSettingsFile(path_);
  }

  QTemporaryDir dir_;
  QString path_;
};

}  // namespace

TEST_F(SettingsFileTest, MissingFileGivesTheDefaultsSilently) {
  EXPECT_EQ(SettingsPath(QStringLiteral("/opt/kelvra/bin")),
            QStringLiteral("/opt/kelvra/bin/anemometer.ini"));
  const LoadedSettings loaded = LoadSettingsFile(path_);
  EXPECT_EQ(loaded.DirectionOffset, 0);
  EXPECT_EQ(loaded.CompassChartType, 1);
  EXPECT_FALSE(loaded.FileUnreadable);
  EXPECT_FALSE(QFile::exists(path_));
}

TEST_F(SettingsFileTest, ValuesAreReadLikeTheWindowsProfileFunctions) {
  struct Case {
    QByteArray content;
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
       ";TypGrafuNaKompasu=2\n", 0, 1},
      {"[Anemometer]\nPosunutiSmeruVetru=3\nPosunutiSmeruVetru=5\n[ANEMOMETER]\n"
       "TypGrafuNaKompasu=3\n", 3, 1},
      // Out of range, or without a leading integer.
      {"[Anemometer]\nPosunutiSmeruVetru=16\nTypGrafuNaKompasu=0\n", 0, 1},
      {"[Anemometer]\nPosunutiSmeruVetru=-1\nTypGrafuNaKompasu=4\n", 0, 1},
      {"[Anemometer]\nPosunutiSmeruVetru=abc\nTypGrafuNaKompasu=\n", 0, 1},
      {"[Anemometer]\nPosunutiSmeruVetru=\"5\nTypGrafuNaKompasu=-\n", 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content.toStdString());
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
  ASSERT_TRUE(QDir().mkpath(path_));  // a directory where the file should be
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
  Write("; settings\n[Display]\nPosunutiSmeruVetru=1\n\n[anemometer]\n  posunutismeruvetru = 4 \n"
        "Colour=blue\n\n[Last]\nX=1\n");
  ASSERT_TRUE(SaveSettingsFile(path_, 9, 3));
  EXPECT_EQ(Read(), "; settings\n[Display]\nPosunutiSmeruVetru=1\n\n[anemometer]\n"
                    "posunutismeruvetru=9\nColour=blue\nTypGrafuNaKompasu=3\n\n[Last]\nX=1\n");
  // CR LF line ends are kept; a missing section is added at the end.
  Write("[Other]\r\nKey=Value");
  ASSERT_TRUE(SaveSettingsFile(path_, 2, 1));
  EXPECT_EQ(Read(), "[Other]\r\nKey=Value\r\n\r\n[Anemometer]\r\nPosunutiSmeruVetru=2\r\n"
                    "TypGrafuNaKompasu=1\r\n");
}

TEST_F(SettingsFileTest, WriteProtectedFileGivesFailureAndStaysAsItWas) {
  const QByteArray before = "[Anemometer]\nPosunutiSmeruVetru=4\nTypGrafuNaKompasu=2\n";
  Write(before);
  ASSERT_TRUE(QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
  EXPECT_FALSE(SaveSettingsFile(path_, 7, 3));
  EXPECT_EQ(Read(), before);
  EXPECT_EQ(LoadSettingsFile(path_).DirectionOffset, 4);
  ASSERT_TRUE(QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
  EXPECT_TRUE(SaveSettingsFile(path_, 7, 3));
  EXPECT_EQ(LoadSettingsFile(path_).DirectionOffset, 7);
  // Nor can a program directory that is gone take the file.
  EXPECT_FALSE(SaveSettingsFile(SettingsPath(dir_.filePath("gone")), 1, 1));
}
