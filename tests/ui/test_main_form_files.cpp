// The main window's file commands: Open, Save, Save as PDF and the live capture log, driven
// through the menu, the tool buttons and the check box with scripted dialogs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <random>
#include <string>

#include "archive/station_archive.h"
#include "core/date_time_text.h"
#include "files/csv_format.h"
#include "tests/support/filling_disk.h"
#include "tests/support/full_disk.h"
#include "tests/support/hang_watchdog.h"
#include "tests/ui/main_form_fixture.h"
#include "ui/panels/trend_chart_panel.h"
#include "ui/widgets/data_string_grid.h"

namespace {

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ShellOutput(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  for (int c; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) output += static_cast<char>(c);
  if (pipe != nullptr) pclose(pipe);
  return output;
}

QString NameOf(const std::filesystem::path& file) { return QString::fromStdString(file.string()); }

const std::filesystem::path kSavedRows = std::string(ANEMOMETER_TEST_DATA_DIR) + "/saved_rows.csv";
// sysfs lets nobody create a file in it, root included.
const std::filesystem::path kUnwritableDir = "/sys";

class MainFormFilesTest : public MainFormTest {
 protected:
  // Captures one row per step given (an average frequency of 1000 mHz per step), then stops.
  void CaptureRows(std::initializer_list<int> avgSpeeds) {
    StartCaptureAndPrime();
    DeliverRows(avgSpeeds, 2);
    form->StopCaptureClick(nullptr);
  }

  void DeliverRows(std::initializer_list<int> avgSpeeds, std::uint32_t firstCounter) {
    std::uint32_t counter = firstCounter;
    for (const int speed : avgSpeeds) {
      // The temperature moves too, so that rows differ in more than one column.
      Deliver(FakeHidTransport::MakeReport(counter++, std::to_string(1000 * speed), "09000", "03",
                                           std::to_string(speed - 7) + ".5"));
    }
  }

  // The store's rows in the file format, oldest first, under the header.
  std::string StoreAsCsv() const {
    std::string csv = CsvHeaderLine();
    for (const MeasurementRecord& record : form->Core().Records()) csv += CsvRowLine(record);
    return csv;
  }

  void ExpectError(const std::string& text) {
    messages.Expect(text.c_str(), "Error", MessageIcon::Error);
  }

  // Checked from inside a message box: the lock is free and the box no longer claims a log.
  void ExpectLogOffWhileShown() {
    messages.WhileShown = [this] {
      std::unique_lock lock(form->Core().DataLock(), std::try_to_lock);
      EXPECT_TRUE(lock.owns_lock()) << "a message box while DataLock is held";
      EXPECT_FALSE(NamedChild<QCheckBox>(*form, "CheckBox_UkladatUdajePriCteni").isChecked());
      EXPECT_FALSE(form->LiveLogFile().IsOn());
    };
  }

  QCheckBox& LogBox() { return NamedChild<QCheckBox>(*form, "CheckBox_UkladatUdajePriCteni"); }
};

TEST_F(MainFormFilesTest, FileCommandsRefuseToRunWhileCapturingAndAskForNoFile) {
  StartCaptureAndPrime();
  DeliverRows({4}, 2);
  const char* openRefused = "Prosím zastavte čtení dat pred otevřením souboru.";
  const char* saveRefused = "Prosím zastavte čtení dat před uložením souboru.";
  for (int via = 0; via < 2; ++via) {
    for (const char* text : {openRefused, saveRefused, saveRefused}) {
      messages.Expect(text, "Informace", MessageIcon::Information);
    }
  }

  NamedChild<QAction>(*form, "Open").trigger();
  NamedChild<QAction>(*form, "Save").trigger();
  NamedChild<QAction>(*form, "SaveAsPDF").trigger();
  NamedChild<QToolButton>(*form, "SpeedButton_FileOpen").click();
  NamedChild<QToolButton>(*form, "SpeedButton_FileSave").click();
  NamedChild<QToolButton>(*form, "SpeedButton_FileSavePdf").click();

  EXPECT_TRUE(dialogs.Requests().empty());
  EXPECT_EQ(form->CaptureRunning(), 1);
  EXPECT_EQ(form->Core().Records().Size(), 1u);
  EXPECT_EQ(Grid().RowInUse, 1);
}

TEST_F(MainFormFilesTest, CancelledDialogsLeaveEverythingAsItWas) {
  CaptureRows({4, 6});
  const QString direction = DirectionName();
  ASSERT_NE(direction, QStringLiteral("--"));
  for (int i = 0; i < 3; ++i) dialogs.AnswerNext(std::nullopt);

  form->OpenClick(nullptr);
  form->SaveClick(nullptr);
  form->SaveAsPDFClick(nullptr);

  ASSERT_EQ(dialogs.Requests().size(), 3u);
  EXPECT_FALSE(dialogs.Requests()[0].save);
  EXPECT_EQ(dialogs.Requests()[0].filter, QStringLiteral("CSV file|*.csv"));
  EXPECT_TRUE(dialogs.Requests()[1].save);
  EXPECT_EQ(dialogs.Requests()[1].filter, QStringLiteral("CSV file|*.csv"));
  EXPECT_EQ(dialogs.Requests()[1].defaultExtension, QStringLiteral("csv"));
  EXPECT_EQ(dialogs.Requests()[2].filter, QStringLiteral("PDF file|*.pdf"));
  EXPECT_EQ(dialogs.Requests()[2].defaultExtension, QStringLiteral("pdf"));

  EXPECT_EQ(form->Core().Records().Size(), 2u);
  EXPECT_EQ(form->Core().Statistics().Count(), 2u);
  EXPECT_EQ(Grid().RowCount(), 3);
  EXPECT_EQ(DirectionName(), direction) << "the display was not reset";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(programDir.Path()), {}), 1)
      << "only anemometer.cal";
}

TEST_F(MainFormFilesTest, SaveWritesTheStoreOldestFirstUnderTheChosenName) {
  CaptureRows({1, 2, 3});
  const RecordStore& store = form->Core().Records();
  ASSERT_LT(store[0].AvgSpeed, store[1].AvgSpeed);
  ASSERT_LT(store[1].AvgSpeed, store[2].AvgSpeed);
  const std::filesystem::path file = programDir.File("měření větru.csv");
  dialogs.AnswerNext(NameOf(file));

  form->SaveClick(nullptr);

  EXPECT_EQ(ReadBytes(file), StoreAsCsv());
}

TEST_F(MainFormFilesTest, SaveFailuresNameTheChosenFile) {
  CaptureRows({2});
  // A device is not a file that Save replaces.
  dialogs.AnswerNext(QStringLiteral("/dev/full"));
  ExpectError("Cannot write file: /dev/full");
  form->SaveClick(nullptr);

  const std::filesystem::path unwritable = kUnwritableDir / "měření.csv";
  dialogs.AnswerNext(NameOf(unwritable));
  ExpectError("Cannot open file: " + unwritable.string());
  form->SaveClick(nullptr);
}

TEST_F(MainFormFilesTest, OpenShowsTheFileInTheGridNewestOnTopAndSavesItBackUnchanged) {
  const std::filesystem::path archive = programDir.File("archive.sqlite");
  form->KeepArchive(archive);
  dialogs.AnswerNext(NameOf(kSavedRows));
  form->OpenClick(nullptr);
  EXPECT_EQ(StationArchive(archive, StationArchive::Access::Read).RecordCount(), 0)
      << "rows read from a file are not captured, and not archived";

  ASSERT_EQ(form->Core().Records().Size(), 3u);
  EXPECT_EQ(DateTimeText(form->Core().Records()[0].Time), "6.12 2008 14:05:33");
  EXPECT_EQ(form->Core().Statistics().Count(), 3u);
  ASSERT_EQ(Grid().RowCount(), 4);
  EXPECT_EQ(Grid().CellText(0, 1), "31.1 2008 23:59:59");
  EXPECT_EQ(Grid().CellText(8, 1), "WSW");
  EXPECT_EQ(Grid().CellText(0, 2), "1.3 2009 09:05:07");
  EXPECT_EQ(Grid().CellText(0, 3), "6.12 2008 14:05:33");
  EXPECT_EQ(Grid().CellText(8, 3), "NNE");
  // Loaded rows reach the grid only; the other displays keep their empty state.
  EXPECT_EQ(DirectionName(), QStringLiteral("--"));

  const std::filesystem::path copy = programDir.File("copy.csv");
  dialogs.AnswerNext(NameOf(copy));
  form->SaveClick(nullptr);
  EXPECT_EQ(ReadBytes(copy), ReadBytes(kSavedRows));
}

TEST_F(MainFormFilesTest, OpenReplacesTheRowsHeldBefore) {
  CaptureRows({3, 5, 7});
  ASSERT_EQ(form->Trends().ChartPoints().size(), 1u);
  ASSERT_TRUE(form->Trends().ChartPointClosed());
  ASSERT_NE(DirectionName(), QStringLiteral("--"));
  const std::filesystem::path file = programDir.File("one.csv");
  programDir.Write("one.csv", "header\n  1.3 2009 09:05:07,  0.5,  0.9, 4.0, 4.0, 3.8, 0, 1, SE\n");
  dialogs.AnswerNext(NameOf(file));

  form->OpenClick(nullptr);

  ASSERT_EQ(form->Core().Records().Size(), 1u);
  EXPECT_EQ(form->Core().Records()[0].AvgSpeed, 0.5f);
  EXPECT_EQ(form->Core().Statistics().Count(), 1u);
  EXPECT_TRUE(form->Trends().ChartPoints().empty());
  EXPECT_FALSE(form->Trends().ChartPointClosed());
  EXPECT_EQ(Grid().RowCount(), 2);
  EXPECT_EQ(Grid().CellText(8, 1), "SE");
  EXPECT_EQ(DirectionName(), QStringLiteral("--"));
}

TEST_F(MainFormFilesTest, OpenErrorsKeepTheRowsReadBeforeThem) {
  CaptureRows({3, 5});
  const QString direction = DirectionName();
  const std::filesystem::path missing = programDir.File("chybí.csv");
  dialogs.AnswerNext(NameOf(missing));
  ExpectError("Cannot open file: " + missing.string());
  form->OpenClick(nullptr);
  // Nothing is replaced by a file that cannot be read: the rows and displays stay.
  EXPECT_EQ(form->Core().Records().Size(), 2u);
  EXPECT_EQ(Grid().RowCount(), 3);
  EXPECT_EQ(DirectionName(), direction);

  // Nor by one whose first row is bad: random bytes, or a row of a strange format.
  std::mt19937 random(26);
  std::string noise(64 * 1024, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  programDir.Write("noise.csv", noise);
  programDir.Write("strange.csv", "header\r\n6.12 2008 14:05:33 3.25 5.5 -2 -6.1 -8.4 2 3 XY\r\n");
  for (const auto& [name, error] : {std::pair{"noise.csv", "Incorrect line format."},
                                    std::pair{"strange.csv", "Unknown wind direction string."}}) {
    dialogs.AnswerNext(NameOf(programDir.File(name)));
    ExpectError(error);
    form->OpenClick(nullptr);
    EXPECT_EQ(form->Core().Records().Size(), 2u) << name;
    EXPECT_EQ(Grid().RowCount(), 3) << name;
  }

  programDir.Write("bad.csv",
                   "header\r\n"
                   "  6.12 2008 14:05:33,  3.25,  5.5, -2, -6.1, -8.4, 2, 3, nne\r\n"
                   "  6.12 2008 14:05:34,  3.25,  5.5, -2, -6.1, -8.4, 2, 3, --\r\n"
                   "  6.12 2008 14:05:35,  3.25,  5.5, -2, -6.1, -8.4, 2, 3, N\r\n");
  dialogs.AnswerNext(NameOf(programDir.File("bad.csv")));
  ExpectError("Unknown wind direction string.");
  form->OpenClick(nullptr);
  ASSERT_EQ(form->Core().Records().Size(), 1u);
  EXPECT_EQ(form->Core().Records()[0].Time.Second, 33);
  EXPECT_EQ(Grid().RowCount(), 2);
  EXPECT_EQ(Grid().CellText(8, 1), "NNE");
}

TEST_F(MainFormFilesTest, OpenRefusesAtOnceWhatIsNotARegularFileAndKeepsTheRowsHeld) {
  const HangWatchdog watchdog("opening odd files");
  ASSERT_EQ(mkfifo(programDir.File("fifo.csv").c_str(), 0600), 0);
  std::filesystem::create_directory(programDir.File("folder.csv"));
  std::filesystem::create_symlink("/dev/zero", programDir.File("zero.csv"));
  std::filesystem::create_symlink("/dev/full", programDir.File("full.csv"));
  for (const std::filesystem::path& file :
       {programDir.File("fifo.csv"), programDir.File("folder.csv"), programDir.File("zero.csv"),
        programDir.File("full.csv"), std::filesystem::path("/dev/urandom")}) {
    SCOPED_TRACE(file);
    CaptureRows({3, 4});
    const QString direction = DirectionName();
    dialogs.AnswerNext(NameOf(file));
    ExpectError("Cannot open file: " + file.string());
    form->OpenClick(nullptr);
    EXPECT_EQ(form->Core().Records().Size(), 2u);
    EXPECT_EQ(Grid().RowCount(), 3);
    EXPECT_EQ(DirectionName(), direction);
  }
}

TEST_F(MainFormFilesTest, OpenOfAHugeFileShowsProgressAndCanBeCancelledKeepingTheRowsHeld) {
  const HangWatchdog watchdog("cancelling the load of a huge file", std::chrono::seconds(120));
  CaptureRows({3, 4});
  // 2 GiB and no line end: one endless header line, read in steps all the same.
  const std::filesystem::path huge = programDir.File("huge.csv");
  programDir.Write("huge.csv", "");
  std::filesystem::resize_file(huge, std::uintmax_t{2} << 30);
  dialogs.AnswerNext(NameOf(huge));
  bool progressShown = false;
  QTimer cancel;
  QObject::connect(&cancel, &QTimer::timeout, [&] {
    for (QProgressDialog* progress : form->findChildren<QProgressDialog*>()) {
      if (!progress->isVisible()) continue;
      progressShown = true;
      EXPECT_TRUE(progress->isModal());
      EXPECT_EQ(progress->windowTitle(), QStringLiteral("Načíst"));
      QPushButton* button = progress->findChild<QPushButton*>();
      ASSERT_NE(button, nullptr);
      EXPECT_EQ(button->text(), QStringLiteral("Zrušit"));
      QTest::mouseClick(button, Qt::LeftButton);
    }
  });
  cancel.start(50);
  form->OpenClick(nullptr);
  EXPECT_TRUE(progressShown);
  EXPECT_TRUE(messages.Shown().empty());
  EXPECT_EQ(form->Core().Records().Size(), 2u);
  EXPECT_EQ(Grid().RowCount(), 3);
}

TEST_F(MainFormFilesTest, LiveLogWritesItsHeaderAtOnceAndEveryCapturedRowUntilUnticked) {
  const std::filesystem::path log = programDir.File("živý záznam.csv");
  dialogs.AnswerNext(NameOf(log));

  LogBox().click();
  ASSERT_TRUE(LogBox().isChecked());
  ASSERT_EQ(dialogs.Requests().size(), 1u);
  EXPECT_TRUE(dialogs.Requests()[0].save);
  EXPECT_EQ(dialogs.Requests()[0].filter, QStringLiteral("CSV file|*.csv"));
  EXPECT_EQ(dialogs.Requests()[0].defaultExtension, QStringLiteral("csv"));
  EXPECT_EQ(ReadBytes(log), CsvHeaderLine()) << "the header is on disk at once";

  StartCaptureAndPrime();
  std::uint32_t counter = 2;
  for (const int speed : {2, 4, 8}) {
    DeliverRows({speed}, counter++);
    EXPECT_EQ(ReadBytes(log), StoreAsCsv()) << "each row reaches the file as it is made";
  }
  DeliverRows({9}, counter + 2);  // two reports missed: two made-up rows and this one
  ASSERT_EQ(form->Core().Records().Size(), 6u);
  EXPECT_EQ(ReadBytes(log), StoreAsCsv());

  LogBox().click();
  EXPECT_FALSE(form->LiveLogFile().IsOn());
  const std::string logged = ReadBytes(log);
  DeliverRows({10}, counter + 3);
  form->StopCaptureClick(nullptr);
  EXPECT_EQ(form->Core().Records().Size(), 7u);
  EXPECT_EQ(ReadBytes(log), logged) << "nothing after unticking";
}

TEST_F(MainFormFilesTest, CaptureLogOpenedBackHoldsTheCapturedRows) {
  const std::filesystem::path log = programDir.File("capture.csv");
  dialogs.AnswerNext(NameOf(log));
  LogBox().click();
  CaptureRows({1, 3, 6, 10, 15, 21});
  const std::string captured = StoreAsCsv();
  ASSERT_EQ(ReadBytes(log), captured);

  dialogs.AnswerNext(NameOf(log));
  form->OpenClick(nullptr);
  EXPECT_EQ(form->Core().Records().Size(), 6u);
  EXPECT_EQ(StoreAsCsv(), captured);
  EXPECT_EQ(Grid().RowCount(), 7);
}

TEST_F(MainFormFilesTest, LiveLogOnADiskThatFillsHoldsWholeRowsThatOpenReadsBack) {
  const HangWatchdog watchdog("the live log on a filling disk");
  FillingDisk disk;
  const std::filesystem::path log = disk / "live.csv";
  dialogs.AnswerNext(NameOf(log));
  LogBox().click();
  StartCaptureAndPrime();
  DeliverRows({1, 2, 3}, 2);
  disk.Fill();
  ExpectError("Cannot write file: " + log.string());
  std::uint32_t counter = 5;
  while (LogBox().isChecked() && counter < 200) DeliverRows({int(counter % 20)}, counter++);
  disk.Free();
  form->StopCaptureClick(nullptr);
  ASSERT_FALSE(LogBox().isChecked());

  // The file holds the first rows captured, each whole; Open reads every one of them back.
  const std::string bytes = ReadBytes(log);
  const std::string captured = StoreAsCsv();
  ASSERT_LT(bytes.size(), captured.size());
  EXPECT_EQ(captured.substr(0, bytes.size()), bytes);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  dialogs.AnswerNext(NameOf(log));
  form->OpenClick(nullptr);
  EXPECT_EQ(StoreAsCsv(), bytes);
  EXPECT_GE(form->Core().Records().Size(), 3u);
}

TEST_F(MainFormFilesTest, LiveLogThatDoesNotStartLeavesTheBoxUnticked) {
  dialogs.AnswerNext(std::nullopt);
  LogBox().click();
  EXPECT_FALSE(LogBox().isChecked());
  EXPECT_FALSE(form->LiveLogFile().IsOn());
  EXPECT_EQ(dialogs.Requests().size(), 1u) << "unticking asks for no file";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(programDir.Path()), {}), 1)
      << "only anemometer.cal";

  const std::filesystem::path unwritable = kUnwritableDir / "záznam.csv";
  dialogs.AnswerNext(NameOf(unwritable));
  ExpectError("Cannot open file: " + unwritable.string());
  ExpectLogOffWhileShown();
  LogBox().click();
  EXPECT_FALSE(LogBox().isChecked());
  EXPECT_EQ(dialogs.Requests().size(), 2u);
}

TEST_F(MainFormFilesTest, LiveLogOnAFullDeviceDuringCaptureFailsOnceAndCaptureGoesOn) {
  StartCaptureAndPrime();
  DeliverRows({1, 2}, 2);
  dialogs.AnswerNext(QStringLiteral("/dev/full"));
  ExpectError("Cannot write file: /dev/full");
  ExpectLogOffWhileShown();

  LogBox().click();
  DeliverRows({3, 4, 5}, 4);

  EXPECT_EQ(messages.Shown().size(), 1u);
  EXPECT_FALSE(LogBox().isChecked());
  EXPECT_EQ(form->CaptureRunning(), 1);
  EXPECT_EQ(form->Core().Records().Size(), 5u);
  EXPECT_EQ(Grid().RowCount(), 6);
}

TEST_F(MainFormFilesTest, LiveRowThatCannotBeWrittenSwitchesTheLogOffOnceAndCaptureGoesOn) {
  const std::filesystem::path log = programDir.File("odpojený disk.csv");
  StartCaptureAndPrime();
  dialogs.AnswerNext(NameOf(log));
  LogBox().click();
  ASSERT_TRUE(form->LiveLogFile().IsOn());
  DeliverRows({2}, 2);
  const std::string written = StoreAsCsv();
  EXPECT_EQ(ReadBytes(log), written);

  FillDiskUnder(log);
  ExpectError("Cannot write file: " + log.string());
  ExpectLogOffWhileShown();
  DeliverRows({3, 4, 5}, 3);

  EXPECT_EQ(messages.Shown().size(), 1u);
  EXPECT_FALSE(LogBox().isChecked());
  EXPECT_EQ(form->CaptureRunning(), 1);
  EXPECT_EQ(form->Core().Records().Size(), 4u);
  EXPECT_EQ(ReadBytes(log), written) << "the rows written before the disk filled up stay";
}

TEST_F(MainFormFilesTest, PdfReportShowsTheStoreAndTheTimeItWasMade) {
  dialogs.AnswerNext(NameOf(kSavedRows));
  form->OpenClick(nullptr);
  clock.Set(SystemTime{2010, 2, 3, 3, 4, 5, 6, 789});
  const std::filesystem::path pdf = programDir.File("zpráva.pdf");
  dialogs.AnswerNext(NameOf(pdf));

  form->SaveAsPDFClick(nullptr);

  ASSERT_TRUE(std::filesystem::exists(pdf));
  const std::string text = ShellOutput("pdftotext '" + pdf.string() + "' -");
  EXPECT_NE(text.find("Dokument vytvoren: 3.2 2010 04:05:06"), std::string::npos) << text;
  for (const char* row : {"6.12 2008 14:05:33", "1.3 2009 09:05:07", "31.1 2008 23:59:59"}) {
    EXPECT_NE(text.find(row), std::string::npos) << row;
  }
}

TEST_F(MainFormFilesTest, PdfReportToAnUnwritableDirectoryFailsOnSaving) {
  CaptureRows({2});
  dialogs.AnswerNext(NameOf(kUnwritableDir / "report.pdf"));
  ExpectError("Error saving PDF file.");
  form->SaveAsPDFClick(nullptr);
}

}  // namespace
