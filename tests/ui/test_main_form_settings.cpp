#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "core/calibration.h"
#include "files/settings_file.h"
#include "tests/support/hang_watchdog.h"
#include "tests/support/named_child.h"
#include "tests/ui/main_form_fixture.h"
#include "ui/dialogs/nastaveni_smeru_vetru_form.h"
#include "ui/panels/wind_panel.h"

namespace {

constexpr const char* kSaveError = "Cannot save settings file.";

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return "<missing>";
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class MainFormSettingsTest : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    AddDialog();
  }

  // A new program run on the program directory as it is now.
  void Restart() {
    form.reset();
    CreateForm();
    AddDialog();
  }

  void AddDialog() { form->AttachDialog(new TNastaveniSmeruVetruForm(form.get())); }

  TNastaveniSmeruVetruForm& Dialog() {
    return NamedChild<TNastaveniSmeruVetruForm>(*form, "NastaveniSmeruVetruForm");
  }
  void PickOffset(int offset) {
    NamedChild<QComboBox>(Dialog(), "ComboBox_Posunuti").setCurrentIndex(offset);
  }
  void Click(const char* button) { NamedChild<QPushButton>(Dialog(), button).click(); }

  // Opens the offset dialog from the menu and answers it with act, which must close it.
  // Returns the offset the dialog showed when it opened.
  int RunOffsetDialog(const std::function<void()>& act) {
    int shown = -1;
    QTimer::singleShot(0, &Dialog(), [&] {
      EXPECT_EQ(QApplication::activeModalWidget(), &Dialog());
      shown = Dialog().GetOffset();
      act();
      if (Dialog().isVisible()) {
        ADD_FAILURE() << "the dialog stayed open";
        Dialog().reject();
      }
    });
    form->PosunutiSmeruVetruClick(&NamedChild<QAction>(*form, "PosunutiSmeruVetru"));
    return shown;
  }

  void ChooseOffset(int offset) {
    PickOffset(offset);
    Click("Button_Ulozit");
  }

  // The user's pick in "Zobrazit ukazatele:".
  std::string Ini() const { return ReadBytes(IniFile()); }
  std::filesystem::path IniFile() const { return programDir.File("anemometer.ini"); }
  LoadedSettings Saved() const { return LoadSettingsFile(IniFile()); }
};

}  // namespace

TEST_F(MainFormSettingsTest, StartReadsTheFileAndFallsBackToTheDefaultsSilently) {
  EXPECT_EQ(form->Core().DirectionOffset(), 0);
  EXPECT_EQ(form->Wind().CompassChartType(), 1);
  EXPECT_EQ(ChartTypes().currentText(), QString::fromUtf8("Nezobrazovat"));
  EXPECT_EQ(Ini(), "<missing>") << "starting writes nothing";

  struct Case {
    const char* content;
    int offset, chartType, item;
  };
  for (const Case& c :
       {Case{"[Anemometer]\nPosunutiSmeruVetru=7\nTypGrafuNaKompasu=3\n", 7, 3, 2},
        Case{"[Anemometer]\nPosunutiSmeruVetru=15\nTypGrafuNaKompasu=2\n", 15, 2, 1},
        Case{"[Anemometer]\nPosunutiSmeruVetru=16\nTypGrafuNaKompasu=4\n", 0, 1, 0},
        Case{"[Anemometer]\nPosunutiSmeruVetru=99\nTypGrafuNaKompasu=0\n", 0, 1, 0},
        Case{"[Anemometer]\nPosunutiSmeruVetru=x\nTypGrafuNaKompasu=\n", 0, 1, 0}}) {
    SCOPED_TRACE(c.content);
    programDir.Write("anemometer.ini", c.content);
    Restart();
    EXPECT_EQ(form->Core().DirectionOffset(), c.offset);
    EXPECT_EQ(form->Wind().CompassChartType(), c.chartType);
    EXPECT_EQ(ChartTypes().currentIndex(), c.item);
  }
  EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(MainFormSettingsTest, UnreadableFilesAreReportedAfterTheCalibrationTableAtOnce) {
  const HangWatchdog watchdog("starting on odd files");
  const std::string calFile = programDir.File("anemometer.cal").string();
  const std::string iniFile = IniFile().string();
  // What a user might leave in place of each file: none may block the start or fill memory.
  const std::function<void(const std::string&)> oddFiles[] = {
      [](const std::string& f) { std::filesystem::create_directory(f); },
      [](const std::string& f) { ASSERT_EQ(mkfifo(f.c_str(), 0600), 0); },
      [](const std::string& f) { std::filesystem::create_symlink("/dev/zero", f); },
      [](const std::string& f) {
        std::ofstream(f) << "[Anemometer]\nPosunutiSmeruVetru=3\n1000 500\n";
        std::filesystem::resize_file(f, 2 << 20);
      },
  };
  for (const auto& makeOdd : oddFiles) {
    std::filesystem::remove_all(calFile);
    std::filesystem::remove_all(iniFile);
    makeOdd(calFile);
    makeOdd(iniFile);
    messages.Expect("Cannot load calibration table, using default values.", "Information",
                    MessageIcon::Information);
    messages.Expect("Cannot load settings file, using default values.", "Information",
                    MessageIcon::Information);
    Restart();
    EXPECT_EQ(form->Core().DirectionOffset(), 0);
    EXPECT_EQ(form->Wind().CompassChartType(), 1);
    EXPECT_EQ(ChartTypes().currentIndex(), 0);
    EXPECT_EQ(form->Core().Calibration(), DefaultCalibrationTable());
  }
}

TEST_F(MainFormSettingsTest, AcceptedOffsetShiftsTheNextPacketAndIsWrittenEvenWhenUnchanged) {
  programDir.Write("anemometer.ini", "[Anemometer]\nPosunutiSmeruVetru=3\nTypGrafuNaKompasu=2\n");
  Restart();
  StartCaptureAndPrime();
  Deliver(FakeHidTransport::MakeReport(2, "01000", "02000", "05"));
  EXPECT_EQ(DirectionName(), QStringLiteral("SSE")) << "code 5 is E, +3";

  EXPECT_EQ(RunOffsetDialog([&] { ChooseOffset(5); }), 3);
  EXPECT_EQ(form->Core().DirectionOffset(), 5);
  EXPECT_EQ(Saved().DirectionOffset, 5);
  EXPECT_EQ(Saved().CompassChartType, 2);
  Deliver(FakeHidTransport::MakeReport(3, "01000", "02000", "05"));
  EXPECT_EQ(DirectionName(), QStringLiteral("SSW"));
  EXPECT_EQ(form->Core().Records()[0].Sector, 7) << "a recorded direction keeps its offset";

  std::filesystem::remove(IniFile());
  EXPECT_EQ(RunOffsetDialog([&] { Click("Button_Ulozit"); }), 5);
  EXPECT_EQ(Saved().DirectionOffset, 5);
  EXPECT_EQ(Saved().CompassChartType, 2);
}

TEST_F(MainFormSettingsTest, CancelledOrClosedDialogChangesNothing) {
  // Not as a save would write it, so that any write shows.
  const std::string before = "[Anemometer]\nPosunutiSmeruVetru=9\n";
  programDir.Write("anemometer.ini", before);
  Restart();
  EXPECT_EQ(RunOffsetDialog([&] {
              PickOffset(2);
              Click("Button_Storno");
            }),
            9);
  EXPECT_EQ(RunOffsetDialog([&] {
              PickOffset(2);
              Dialog().close();
            }),
            9)
      << "each opening starts from the offset in use";
  EXPECT_EQ(form->Core().DirectionOffset(), 9);
  EXPECT_EQ(Ini(), before);
}

TEST_F(MainFormSettingsTest, EveryPickOfTheChartTypeRewritesTheFile) {
  struct Pick {
    int item, chartType;
  };
  for (const Pick pick : {Pick{2, 3}, Pick{1, 2}, Pick{0, 1}, Pick{0, 1}, Pick{-1, 1}}) {
    SCOPED_TRACE(pick.item);
    std::filesystem::remove(IniFile());
    if (pick.item >= 0) {
      PickChartType(pick.item);
    } else {  // nothing selected
      ChartTypes().setCurrentIndex(-1);
      emit ChartTypes().activated(-1);
    }
    EXPECT_EQ(form->Wind().CompassChartType(), pick.chartType);
    EXPECT_EQ(Saved().CompassChartType, pick.chartType);
    EXPECT_EQ(Saved().DirectionOffset, 0);
  }
}

TEST_F(MainFormSettingsTest, WriteProtectedFileGivesTheMessageOncePerSaveAndTheValueStays) {
  const std::string before = "[Anemometer]\r\nPosunutiSmeruVetru=1\r\nTypGrafuNaKompasu=1\r\n";
  programDir.Write("anemometer.ini", before);
  std::filesystem::permissions(IniFile(), std::filesystem::perms::owner_read);
  Restart();
  messages.Expect(kSaveError, "Error", MessageIcon::Error);
  PickChartType(2);
  EXPECT_EQ(form->Wind().CompassChartType(), 3);
  messages.Expect(kSaveError, "Error", MessageIcon::Error);
  RunOffsetDialog([&] { ChooseOffset(4); });
  EXPECT_EQ(form->Core().DirectionOffset(), 4);
  EXPECT_EQ(messages.Shown().size(), 2u);
  EXPECT_EQ(Ini(), before);
}

TEST_F(MainFormSettingsTest, TheProgramDirectoryCountsNotTheCurrentOne) {
  const TemporaryProgramDir elsewhere;
  const std::string elsewhereIni = "[Anemometer]\nPosunutiSmeruVetru=12\nTypGrafuNaKompasu=3\n";
  elsewhere.Write("anemometer.ini", elsewhereIni);
  programDir.Write("anemometer.ini", "[Anemometer]\nPosunutiSmeruVetru=2\nTypGrafuNaKompasu=2\n");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.Path());
  Restart();
  EXPECT_EQ(form->Core().DirectionOffset(), 2);
  EXPECT_EQ(form->Wind().CompassChartType(), 2);
  PickChartType(0);
  std::filesystem::current_path(previous);
  EXPECT_EQ(Saved().CompassChartType, 1);
  EXPECT_EQ(ReadBytes(elsewhere.File("anemometer.ini")), elsewhereIni);
}
