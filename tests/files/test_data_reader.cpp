#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/direction_sector.h"
#include "files/csv_format.h"
#include "files/data_file_reader.h"
#include "files/data_line_parser.h"
#include "files/file_messages.h"
#include "files/line_piece_reader.h"
#include "tests/files/files_test_helpers.h"

namespace {

struct Loaded {
  std::string message;  // what the user would read; empty after a clean load
  std::vector<MeasurementRecord> records;
};

Loaded Load(const std::filesystem::path& file) {
  Loaded l;
  l.message = OutcomeMessage(
      ReadDataFile(file, [&](const MeasurementRecord& r) { l.records.push_back(r); }), "f.csv");
  return l;
}

Loaded LoadBytes(const std::string& bytes) {
  TempDir dir;
  WriteBytes(dir / "data.csv", bytes);
  return Load(dir / "data.csv");
}

const std::string kHeader = "\"Datum a cas\",\"Rychlost\"\r\n";
const std::string kRow =
    "  6.12 2008 14:05:33,  3.250000,  5.500000, -2.000000, -6.100000, "
    "-8.400000,  2.000000,  3.000000,       NNE\r\n";
const std::string kLine = "6.12 2008 14:05:33 3.25 5.5 -2 -6.1 -8.4 2 3";  // + direction

TEST(ReadDataFile, LoadsSavedAndLooselyWrittenFiles) {
  const Loaded saved = Load(TestDataFile("saved_rows.csv"));
  ASSERT_EQ(saved.message, "");
  ASSERT_EQ(saved.records.size(), 3u);
  EXPECT_EQ(saved.records[0].Time, (SystemTime{2008, 12, 0, 6, 14, 5, 33, 0}));
  EXPECT_EQ(saved.records[1].Temperature, -1000.5f);

  // LF and CR LF, commas, blanks and tabs, any letter case, text after the eleventh item,
  // exponents and signs, and a last line without a line end.
  const Loaded loose = Load(TestDataFile("loose_rows.csv"));
  ASSERT_EQ(loose.message, "");
  ASSERT_EQ(loose.records.size(), 4u);
  EXPECT_EQ(CsvRowLine(loose.records[0]), CsvRowLine(saved.records[0]));
  EXPECT_EQ(loose.records[1].Time, (SystemTime{2008, 12, 0, 7, 1, 2, 3, 0}));
  EXPECT_EQ(loose.records[2].Sector, 8);
  EXPECT_EQ(CsvRowLine(loose.records[3]).substr(20),
            ", 10.000000,  0.250000,  3.000000, "
            "-0.000000,  0.500000, 12.000000, 12.000000,       NNW\r\n");
}

TEST(ReadDataFile, StopsAtTheFirstBadLineKeepingTheRowsBeforeIt) {
  const std::string longLine(10000, 'x'), nul(1, '\0');
  const std::string format = "Incorrect line format.", date = "Incorrect date format.",
                    direction = "Unknown wind direction string.";
  const std::vector<std::tuple<std::string, std::string, std::size_t>> cases = {
      {"", "", 0},
      {kHeader, "", 0},
      {longLine, "", 0},                       // a header without a line end
      {longLine + "\n" + kRow + kRow, "", 2},  // a long header is skipped whole
      {kRow + kRow, "", 1},                    // no header: the first row is lost
      {kHeader + kRow + "\r\n", format, 1},    // a blank line at the end
      {kHeader + kRow + longLine + "\n" + kRow, format, 1},
      {kHeader + std::string(10000, ' ') + "\n", format, 0},
      {kHeader + "6.12 2008 14:05:33 3,25 5,5 -2 -6,1 -8,4 2 3 NNE\n", direction, 0},  // shifted
      {kHeader + kLine + "\n", format, 0},
      {kHeader + "6.12 2008 14:05:33 3.25 1e39 -2 -6.1 -8.4 2 3 N\n", format, 0},
      {kHeader + "6.12 2008 14:05:33 nan 5 -2 -6.1 -8.4 2 3 N\n", format, 0},
      {kHeader + "6.12 2008 14:05:33 3.25 -INF -2 -6.1 -8.4 2 3 N\n", format, 0},
      {kHeader + "6.12.2008 14:05:33 3.25 5.5 -2 -6.1 -8.4 2 3 N\n", format, 0},  // shifted
      {kHeader + "6-12 2008 14:05:33 3.25 5.5 -2 -6.1 -8.4 2 3 N\n", date, 0},
      {kHeader + "6.12 MMVIII 14:05:33 3.25 5.5 -2 -6.1 -8.4 2 3 N\n", date, 0},
      {kHeader + "6.12 2008 14:05 3.25 5.5 -2 -6.1 -8.4 2 3 N\n", date, 0},
      {kHeader + kRow + kLine + " --\n", direction, 1},
      {kHeader + kLine + " NORTH\n", direction, 0},
      // A line ends at a NUL byte, as the C string it is read into does.
      {kHeader + kRow.substr(0, 108) + nul + "garbage\n" + kRow, "", 2},
      {kHeader + kRow.substr(0, 50) + nul + kRow.substr(50), format, 0},
      {kHeader +
           "\x7f"
           "ELF\x02\x01\x01" +
           nul + "\xff\xfe\x89PNG\r\n\x1a\n",
       format, 0},
  };
  for (const auto& [bytes, message, rows] : cases) {
    SCOPED_TRACE(testing::PrintToString(bytes.substr(0, 100)));
    const Loaded loaded = LoadBytes(bytes);
    EXPECT_EQ(loaded.message, message);
    EXPECT_EQ(loaded.records.size(), rows);
  }
  EXPECT_EQ(Load("/nonexistent.csv").message, "Cannot open file: f.csv");
  EXPECT_EQ(Load(kUnwritableDir).message, "Cannot open file: f.csv");  // a directory
}

TEST(ReadDataFile, ReadsLinesInPiecesOf149Characters) {
  const std::string row = kRow.substr(0, 108);
  // A piece of 149 characters holding a whole row, and the rest of the line as the next piece.
  EXPECT_EQ(LoadBytes(kHeader + row + std::string(41, ' ') + row + "\n").records.size(), 2u);
  // CR LF counts as one character: 148 + CR LF is one piece, 149 + LF leaves a blank piece.
  const std::string rowOf148 = std::string(40, ' ') + row;
  EXPECT_EQ(LoadBytes(kHeader + rowOf148 + "\r\n" + rowOf148 + "\n").records.size(), 2u);
  const Loaded tooLong = LoadBytes(kHeader + rowOf148 + "\r\n" + " " + rowOf148 + "\n");
  EXPECT_EQ(tooLong.message, "Incorrect line format.");
  EXPECT_EQ(tooLong.records.size(), 2u);
  // A lone CR is white space, not a line end.
  EXPECT_EQ(LoadBytes(kHeader + "6.12\r2008 14:05:33 1 2 3 4 5 6 7 N\r\r\n").records.size(), 1u);
}

TEST(DataFileLoad, BoundedStepsGiveTheRowsAndOutcomeOfOneReadOfTheStream) {
  const std::string rows = kRow + kRow + kRow;
  const std::string longHeader = std::string(300000, 'h') + "\r\n";
  TempDir dir;
  for (const std::string& bytes : {kHeader + rows, longHeader + rows, std::string(300000, '\0'),
                                   kHeader + kRow + "\r\n" + kRow, longHeader, std::string()}) {
    WriteBytes(dir / "data.csv", bytes);
    std::vector<std::string> expected;
    std::FILE* stream = std::fopen((dir / "data.csv").c_str(), "rb");
    const ReadOutcome expectedOutcome = ReadDataStream(
        stream, [&](const MeasurementRecord& r) { expected.push_back(CsvRowLine(r)); });
    std::fclose(stream);

    DataFileLoad load(dir / "data.csv");
    EXPECT_EQ(load.Size(), bytes.size());
    std::vector<std::string> read;
    std::uint64_t position = 0;
    int steps = 0;
    for (bool more = true; more; ++steps) {
      more = load.Step([&](const MeasurementRecord& r) { read.push_back(CsvRowLine(r)); }, 1000);
      // One step reads its bound and at most one piece of a line more.
      EXPECT_LE(load.Position() - position, 1000u + LinePieceReader::kMaxPiece + 1);
      position = load.Position();
    }
    EXPECT_EQ(read, expected);
    EXPECT_EQ(load.Outcome(), expectedOutcome);
    EXPECT_GE(steps, static_cast<int>(bytes.size() / 1200)) << "a long first line in steps";
  }
  EXPECT_EQ(DataFileLoad("/dev/urandom").Outcome(), ReadOutcome::CannotOpen);
}

TEST(LinePieceReader, CutsPiecesLikeFgetsAcrossBlockBoundaries) {
  std::mt19937 random(9);
  std::uniform_int_distribution<int> kind(0, 99);
  for (int round = 0; round < 8; ++round) {
    std::string bytes;  // CR LF, lone CRs, NULs and long runs, over several 64 KiB blocks
    while (bytes.size() < 200000) {
      const int k = kind(random);
      bytes += k < 3 ? "\r\n" : k < 5 ? "\r" : k < 7 ? "\n" : k < 8 ? std::string(1, '\0') : "ab";
      if (round % 2) bytes += std::string(static_cast<std::size_t>(kind(random)) * 3, 'x');
    }
    // Reference: translate every CR LF, then cut after each line feed or 149 characters.
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes.compare(i, 2, "\r\n") != 0) text += bytes[i];
    }
    std::vector<std::string> expected;
    for (std::size_t begin = 0, end; begin < text.size(); begin = end) {
      end = std::min({text.find('\n', begin), begin + 148, text.size() - 1}) + 1;
      expected.push_back(text.substr(begin, end - begin));
    }
    std::FILE* stream = fmemopen(bytes.data(), bytes.size(), "rb");
    LinePieceReader reader(stream);
    std::vector<std::string> pieces;
    for (std::string_view piece; reader.Next(piece) == LinePieceReader::Status::Piece;) {
      pieces.emplace_back(piece);
    }
    std::fclose(stream);
    ASSERT_EQ(pieces, expected) << round;
  }
}

TEST(ParseDataLine, DateAndTimeNumbersWrapLikeTheCLibrary) {
  MeasurementRecord r;
  ASSERT_EQ(ParseDataLine("31.13 70000 -1:+5:0 0 0 0 0 0 0 0 sse", r), ReadOutcome::Ok);
  EXPECT_EQ(r.Time, (SystemTime{4464, 13, 0, 31, 65535, 5, 0, 0}));
}

// A line of random fragments: mostly eleven items, with numbers in every form scanf knows
// ("1e+", "0x", "inf", "nan") and glued to their neighbours ("3ENE").
std::string RandomDataLine(std::mt19937& random) {
  const auto text = [&random](std::string_view alphabet, std::size_t maxLength) {
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1), length(0, maxLength);
    std::string fragment;
    for (std::size_t n = length(random); n > 0; --n) fragment += alphabet[pick(random)];
    return fragment;
  };
  if (random() % 4 == 0) return text("0123456789..::,,  \t-+NSWEabcdfxXpPin", 70);
  std::string line = "6.12 2008 14:05:33";
  for (int i = 0; i < 7; ++i) line += text(" ,", 2) + text("+-.0159eExXpPinfatyN", 5);
  return line + text(" ,", 1) + text("NSEWnsexp-", 4);
}

bool SameFloat(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// The item scanner against sscanf itself, with the format string it follows.
TEST(ScanDataLineItems, SplitsItemsExactlyAsSscanf) {
  std::mt19937 random(3);
  for (int i = 0; i < 40000; ++i) {
    const std::string line = RandomDataLine(random);
    std::string spaced = line;
    std::replace(spaced.begin(), spaced.end(), ',', ' ');
    char t[3][11] = {}, dir[11] = {};
    float v[7] = {};
    const int expected =
        std::sscanf(spaced.c_str(), "%10s %10s %10s %f %f %f %f %f %f %f %10s", t[0], t[1], t[2],
                    &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], dir);
    DataLineItems items;
    const int count = ScanDataLineItems(line, items);
    ASSERT_EQ(count, std::max(expected, 0)) << line;
    const std::string_view got[] = {items.date, items.year, items.time};
    for (int k = 0; k < std::min(count, 3); ++k) ASSERT_EQ(got[k], t[k]) << line;
    for (int k = 3; k < std::min(count, 10); ++k) {
      ASSERT_TRUE(SameFloat(items.values[k - 3], v[k - 3])) << line;
    }
    if (count == 11) {
      ASSERT_EQ(items.direction, dir) << line;
    }
  }
}

TEST(ParseDataLine, NumbersGluedToNamesSplitAsTheCLibrarySplitsThem) {
  MeasurementRecord r;
  // "%f" takes "3E" of "3ENE" and leaves "NE"; "0x" is no number at all.
  ASSERT_EQ(ParseDataLine("6.12 2008 14:05:33 1 2 3 4 5 6 3ENE", r), ReadOutcome::Ok);
  EXPECT_EQ(r.BeaufortGust, 3.0f);
  EXPECT_STREQ(SectorName(r.Sector), "NE");
  EXPECT_EQ(ParseDataLine("6.12 2008 14:05:33 1 2 3 4 5 6 0x N", r),
            ReadOutcome::IncorrectLineFormat);
}

}  // namespace
