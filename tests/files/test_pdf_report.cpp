#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <optional>
#include <regex>
#include <sstream>

#include "core/date_time_text.h"
#include "core/direction_sector.h"
#include "files/file_messages.h"
#include "files/pdf_report.h"
#include "tests/files/files_test_helpers.h"

namespace {

const SystemTime kNow{2008, 12, 6, 6, 14, 5, 33, 120};

std::string ShellOutput(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  for (int c; pipe && (c = std::fgetc(pipe)) != EOF;) output += static_cast<char>(c);
  if (pipe) pclose(pipe);
  return output;
}

std::string CollapseBlanks(const std::string& text) {
  std::istringstream words(text);
  std::string word, collapsed;
  while (words >> word) collapsed += (collapsed.empty() ? "" : " ") + word;
  return collapsed;
}

// Each page's lines as poppler reads them back: words joined by one blank, keyed by the lowest
// point of their glyphs in points from the top of the page.
std::vector<std::map<double, std::string>> ReadPages(const std::filesystem::path& pdf) {
  const std::string html = ShellOutput("pdftotext -bbox '" + pdf.string() + "' -");
  const std::regex item(
      R"re(<page |<word xMin="([0-9.]+)"[^>]* yMax="([0-9.]+)">([^<]*)</word>)re");
  std::vector<std::map<double, std::map<double, std::string>>> words;  // bottom -> left -> word
  for (std::sregex_iterator it(html.begin(), html.end(), item), end; it != end; ++it) {
    if (!(*it)[1].matched) {
      words.emplace_back();
    } else {
      words.back()[std::stod((*it)[2])][std::stod((*it)[1])] = (*it)[3];
    }
  }
  std::vector<std::map<double, std::string>> pages(words.size());
  for (std::size_t p = 0; p < words.size(); ++p) {
    for (const auto& [bottom, line] : words[p]) {
      for (const auto& [left, word] : line)
        pages[p][bottom] += (pages[p][bottom].empty() ? "" : " ") + word;
    }
  }
  return pages;
}

TEST(PdfReport, RowsMatchPrintf) {
  std::mt19937 random(11);
  for (int i = 0; i < 2000; ++i) {
    MeasurementRecord r = RandomRecord(random);
    r.Sector = i % 20 - 2;
    r.Temperature *= 1e5f;
    char line[512];  // the C library is the reference; tests run in the C locale
    std::snprintf(line, sizeof line, "%s,%10f,%28f,%19f,%12f,%22f,%20f,%20f,%14s\n",
                  DateTimeText(r.Time).c_str(), double{r.AvgSpeed}, double{r.GustSpeed},
                  double{r.Temperature}, double{r.WindChillAvg}, double{r.WindChillGust},
                  double{r.BeaufortAvg}, double{r.BeaufortGust}, SectorName(r.Sector));
    ASSERT_EQ(PdfRowText(r), line);
  }
}

TEST(PdfReport, Paginates45RowsThen50WithTheHeadingOnTheFirstPageOnly) {
  TempDir dir;
  for (const auto& [rows, pageCount] : {std::pair{0, 1}, {45, 1}, {46, 2}, {95, 2}, {96, 3}}) {
    SCOPED_TRACE(rows);
    const auto file = dir / "report.pdf";
    const RecordStore store = RandomStore(static_cast<std::size_t>(rows), 100u + unsigned(rows));
    ASSERT_EQ(WritePdfReport(file, store, kNow), PdfOutcome::Ok);

    const std::string info = ShellOutput("pdfinfo -isodates '" + file.string() + "'");
    for (const std::string& line :
         {"Pages:           " + std::to_string(pageCount) + "\n",
          std::string("Page size:       841.89 x 595.276 pts (A4)"),
          std::string("Title:           Kelvra USB Anemometer data report\n"),
          std::string("Creator:         Kelvra USB Anemometer\n"),
          std::string("CreationDate:    2008-12-06T14:05:33"),
          std::string("ModDate:         2008-12-06T14:05:33")}) {
      EXPECT_NE(info.find(line), std::string::npos) << line << " in\n" << info;
    }

    // Each line's text and baseline (H - y); the lines in one font must all lie the same
    // distance above the lowest point of their glyphs.
    struct Expected {
      std::string text;
      double baseline;
      bool courier;
    };
    std::vector<std::vector<Expected>> expected = {
        {{"Kelvra USB Anemometer data report", 34, false},
         {"Dokument vytvoren: 6.12 2008 14:05:33", 48, false},
         {"Datum a cas, Rychlost vetru prumer [m/s], Naraz vetru [m/s], Teplota [C], Wind chill "
          "prumer [C], Wind chill naraz [C], Beaufort prumer [-], Beaufort naraz [-], Smer vetru "
          "[-]",
          76, true}}};
    for (const MeasurementRecord& r : store) {
      const double last = expected.back().back().baseline;
      if (expected.back().size() == (expected.size() == 1 ? 48u : 50u)) expected.emplace_back();
      const double baseline = expected.back().empty() ? 31 : last + 11;
      expected.back().push_back({CollapseBlanks(PdfRowText(r)), baseline, true});
    }
    const auto pages = ReadPages(file);
    ASSERT_EQ(pages.size(), expected.size());
    std::optional<double> descent[2];
    for (std::size_t p = 0; p < pages.size(); ++p) {
      ASSERT_EQ(pages[p].size(), expected[p].size()) << "page " << p + 1;
      auto line = pages[p].begin();
      for (const Expected& want : expected[p]) {
        EXPECT_EQ(line->second, want.text);
        if (!descent[want.courier]) descent[want.courier] = line->first - want.baseline;
        EXPECT_NEAR(line->first - want.baseline, *descent[want.courier], 0.01) << want.text;
        ++line;
      }
    }
  }
}

TEST(PdfReport, FailuresLeaveAnExistingFileAsItWas) {
  TempDir dir;
  const auto file = dir / "report.pdf";
  const RecordStore store = RandomStore(96);
  WriteBytes(file, "old report");

  SystemTime badDate = kNow;
  badDate.Month = 13;  // the library refuses the document date
  EXPECT_EQ(OutcomeMessage(WritePdfReport(file, store, badDate)),
            "Error occured while creating PDF document.");
  EXPECT_EQ(ReadBytes(file), "old report");

  EXPECT_EQ(OutcomeMessage(WritePdfReport(kUnwritableDir / "r.pdf", store, kNow)),
            "Error saving PDF file.");
  EXPECT_EQ(WritePdfReport("/dev/full", store, kNow), PdfOutcome::SaveFailed);
}

}  // namespace
