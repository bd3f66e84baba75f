#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "alarms/alarms_form.h"
#include "core/calibration.h"
#include "tests/support/fake_sound_player.h"
#include "tests/support/named_child.h"
#include "tests/ui/main_form_fixture.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/kalibracni_tabulka_form.h"
#include "ui/dialogs/kalibracni_tabulka_zaznam_form.h"
#include "ui/dialogs/nastaveni_smeru_vetru_form.h"
#include "ui/panels/wind_panel.h"
#include "ui/startup/program.h"
#include "ui/widgets/data_string_grid.h"

namespace {

// A user's click on the button or tool button of that name.
void Click(const QDialog& dialog, const char* button) {
  NamedChild<QAbstractButton>(dialog, button).click();
}

TDataStringGrid& TableGrid(const TKalibracniTabulkaForm& editor) {
  return NamedChild<TDataStringGrid>(editor, "StringGrid_Kalibrace");
}

// Acts on a dialog once its modal loop runs, noting whether it really was the modal window;
// act must close it. Scoped to the command expected to open the dialog.
class ModalAnswer {
 public:
  ModalAnswer(QDialog& dialog, std::function<void()> act) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this, &dialog, act = std::move(act)] {
      shownModally_ = QApplication::activeModalWidget() == &dialog && dialog.isVisible();
      act();
      if (dialog.isVisible()) {
        ADD_FAILURE() << "the answer left the dialog open";
        dialog.reject();
      }
    });
    timer_.start(0);
  }
  bool ShownModally() const { return shownModally_; }

 private:
  QTimer timer_;
  bool shownModally_ = false;
};

// Runs command (new or edit) and answers the row editor it opens with the two texts and
// Uložit, or Zrušit. Returns the texts the editor showed when it opened.
std::pair<QString, QString> RunWithRowEditor(TKalibracniTabulkaZaznamForm& editor, const char* mHz,
                                             const char* constant, bool save,
                                             const std::function<void()>& command) {
  std::pair<QString, QString> opening;
  const ModalAnswer answer(editor, [&] {
    QLineEdit& mHzEdit = NamedChild<QLineEdit>(editor, "Edit_mHz");
    QLineEdit& constantEdit = NamedChild<QLineEdit>(editor, "Edit_CalConst");
    opening = {mHzEdit.text(), constantEdit.text()};
    mHzEdit.setText(QString::fromUtf8(mHz));
    constantEdit.setText(QString::fromUtf8(constant));
    Click(editor, save ? "ButtonUlozit" : "ButtonStorno");
  });
  command();
  EXPECT_TRUE(answer.ShownModally()) << "the row editor was not shown modally";
  return opening;
}

using GridTexts = std::vector<std::pair<std::string, std::string>>;

GridTexts RowsUnderTitle(const TDataStringGrid& grid) {
  GridTexts rows;
  for (int row = 1; row < grid.RowCount(); ++row) {
    rows.emplace_back(grid.CellText(0, row), grid.CellText(1, row));
  }
  return rows;
}

// Each edit is read as "%f" reads it, whatever Qt's locale; numbers that anemometer.cal could
// not hold (infinity, nan) are refused. A failure writes neither output place.
TEST(RowEditorTest, ReadsEachEditAsPercentF) {
  const QLocale previous;
  QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
  TKalibracniTabulkaZaznamForm form;
  QLineEdit& mHzEdit = NamedChild<QLineEdit>(form, "Edit_mHz");
  QLineEdit& constantEdit = NamedChild<QLineEdit>(form, "Edit_CalConst");
  form.SetValues(12149.0f, 2169.46435546875f);
  EXPECT_EQ(mHzEdit.text(), QStringLiteral("12149.000000"));
  EXPECT_EQ(constantEdit.text(), QStringLiteral("2169.464355"));

  const std::vector<std::pair<const char*, float>> readable{
      {"12,5", 12.0f}, {"1e3", 1000.0f}, {"  7.25 Hz", 7.25f}, {"-3", -3.0f},
      {".5", 0.5f},    {"+2E-1x", 0.2f}, {"1.5.7", 1.5f}};
  for (const auto& [text, value] : readable) {
    mHzEdit.setText(QStringLiteral("500"));
    constantEdit.setText(QString::fromUtf8(text));
    float frequency = -1.0f;
    float constant = -1.0f;
    EXPECT_EQ(form.GetValues(&frequency, &constant), 0) << text;
    EXPECT_EQ(frequency, 500.0f) << text;
    EXPECT_FLOAT_EQ(constant, value) << text;
  }
  for (const char* text : {"", "abc", "   ", ",5", "e3", "-", "1e39", "inf", "nan"}) {
    for (const bool inFrequency : {true, false}) {
      mHzEdit.setText(inFrequency ? QString::fromUtf8(text) : QStringLiteral("1000"));
      constantEdit.setText(inFrequency ? QStringLiteral("500") : QString::fromUtf8(text));
      float frequency = 11.0f;
      float constant = 22.0f;
      EXPECT_EQ(form.GetValues(&frequency, &constant), -1) << '"' << text << '"';
      EXPECT_EQ(frequency, 11.0f) << text;
      EXPECT_EQ(constant, 22.0f) << text;
    }
  }
  QLocale::setDefault(previous);
}

// The table window with its row editor, on a table of its own.
class CalibrationEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.SetRowEditor(&rowEditor);
    form.LoadTable(table);
  }
  std::pair<QString, QString> NewRow(const char* mHz, const char* constant, bool save = true) {
    return RunWithRowEditor(rowEditor, mHz, constant, save,
                            [this] { Click(form, "SpeedButton_NovyZaznam"); });
  }
  std::pair<QString, QString> EditRow(int row, const char* mHz, const char* constant,
                                      bool save = true) {
    grid().SetRow(row);
    return RunWithRowEditor(rowEditor, mHz, constant, save,
                            [this] { Click(form, "SpeedButton_EditovatZaznam"); });
  }
  void Save() {
    const ModalAnswer answer(form, [this] { Click(form, "Button_Ulozit"); });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
  }
  TDataStringGrid& grid() { return TableGrid(form); }

  TKalibracniTabulkaForm form;
  TKalibracniTabulkaZaznamForm rowEditor;
  CalibrationTable table{{1000.0f, 500.0f}, {3000.0f, 600.0f}, {5000.0f, 650.0f}};
};

TEST_F(CalibrationEditorTest, NewRowsGoToTheBottomInAnyOrderAndEditsStayInPlace) {
  EXPECT_EQ(NewRow("500", "450.25"),
            std::make_pair(QStringLiteral("0.000000"), QStringLiteral("0.000000")));
  EXPECT_EQ(grid().Row(), 4);
  NewRow("12,5", "1e3");
  EXPECT_EQ(grid().Row(), 5);
  EXPECT_EQ(EditRow(2, " 3500.5 mHz", "610"),
            std::make_pair(QStringLiteral("3000.000000"), QStringLiteral("600.000000")));
  EXPECT_EQ(RowsUnderTitle(grid()), (GridTexts{{"1000.000000", "500.000000"},
                                               {"3500.500000", "610.000000"},
                                               {"5000.000000", "650.000000"},
                                               {"500.000000", "450.250000"},
                                               {"12.000000", "1000.000000"}}));
  Save();
  EXPECT_EQ(table, (CalibrationTable{{1000.0f, 500.0f},
                                     {3500.5f, 610.0f},
                                     {5000.0f, 650.0f},
                                     {500.0f, 450.25f},
                                     {12.0f, 1000.0f}}));
}

TEST_F(CalibrationEditorTest, UnreadableOrCancelledInputChangesNothing) {
  const CalibrationTable original = table;
  const GridTexts before = RowsUnderTitle(grid());
  NewRow("abc", "500");
  NewRow("1000", "");
  NewRow("2000", "700", /*save=*/false);
  EditRow(2, "3500", "abc");  // a valid frequency does not go in alone
  EditRow(2, "", "610");
  EditRow(2, "3500", "610", /*save=*/false);
  EXPECT_EQ(RowsUnderTitle(grid()), before);
  Save();
  EXPECT_EQ(table, original) << "the rows' entries kept their values too";
}

TEST_F(CalibrationEditorTest, DeleteTakesTheCurrentRowAndNeverTheTitleRow) {
  grid().SetRow(2);
  Click(form, "SpeedButton_OdstranitZaznam");
  EXPECT_EQ(RowsUnderTitle(grid()),
            (GridTexts{{"1000.000000", "500.000000"}, {"5000.000000", "650.000000"}}));

  for (int i = 0; i < 3; ++i) {
    grid().SetRow(1);
    Click(form, "SpeedButton_OdstranitZaznam");
  }
  ASSERT_EQ(grid().RowCount(), 1);
  EXPECT_EQ(grid().CellText(0, 0), "mHz");
  {
    const ModalAnswer unexpected(rowEditor, [this] { Click(rowEditor, "ButtonStorno"); });
    Click(form, "SpeedButton_EditovatZaznam");
    EXPECT_FALSE(unexpected.ShownModally()) << "the title row has nothing to edit";
  }
  // The conversion needs a row: an empty table cannot be saved.
  EXPECT_FALSE(NamedChild<QPushButton>(form, "Button_Ulozit").isEnabled());
  Click(form, "Button_Ulozit");
  EXPECT_EQ(form.result(), QDialog::Rejected);
  EXPECT_EQ(table.size(), 3u);

  NewRow("2000", "700");
  EXPECT_EQ(grid().FixedRows(), 1) << "the title row is the title again";
  EXPECT_TRUE(NamedChild<QPushButton>(form, "Button_Ulozit").isEnabled());
  Save();
  EXPECT_EQ(table, (CalibrationTable{{2000.0f, 700.0f}}));
}

// The editor from the main window's menu. anemometer.cal is rewritten after the window loaded
// it in a form that any save would change.
class CalibrationMenuTest : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    AddEditor();
    programDir.Write("anemometer.cal", kFileBefore);
  }
  void AddEditor() {
    auto* table = new TKalibracniTabulkaForm(form.get());
    auto* row = new TKalibracniTabulkaZaznamForm(form.get());
    table->SetRowEditor(row);
    form->AttachDialog(table);
    form->AttachDialog(row);
  }
  TKalibracniTabulkaForm& editor() {
    return NamedChild<TKalibracniTabulkaForm>(*form, "KalibracniTabulkaForm");
  }
  TKalibracniTabulkaZaznamForm& rowEditor() {
    return NamedChild<TKalibracniTabulkaZaznamForm>(*form, "KalibracniTabulkaZaznamForm");
  }

  std::string CalibrationFile() const {
    std::ifstream in(programDir.File("anemometer.cal"), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }
  void OpenEditor(const std::function<void()>& act) {
    const ModalAnswer answer(editor(), act);
    form->KalibracniTabulkaClick(&NamedChild<QAction>(*form, "KalibracniTabulka"));
    EXPECT_TRUE(answer.ShownModally());
  }
  void EditFirstRow(const char* mHz, const char* constant) {
    TableGrid(editor()).SetRow(1);
    RunWithRowEditor(rowEditor(), mHz, constant, true,
                     [this] { Click(editor(), "SpeedButton_EditovatZaznam"); });
  }

  static constexpr const char* kFileBefore = "1000 500\n";
};

TEST_F(CalibrationMenuTest, UlozitWithoutChangeRewritesTheFile) {
  form->Core().Calibration() = DefaultCalibrationTable();
  OpenEditor([this] {
    const GridTexts rows = RowsUnderTitle(TableGrid(editor()));
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[2], std::make_pair(std::string("12149.000000"), std::string("2169.464355")));
    Click(editor(), "Button_Ulozit");
  });
  EXPECT_EQ(form->Core().Calibration(), DefaultCalibrationTable());
  const std::string file = CalibrationFile();
  EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 9);
  EXPECT_NE(file.find("\n12149.000000 2169.464355\n16448.000000"), std::string::npos) << file;
}

TEST_F(CalibrationMenuTest, ZrusitAndTheCloseBoxLeaveTableAndFileAlone) {
  OpenEditor([this] {
    RunWithRowEditor(rowEditor(), "2000", "600", true,
                     [this] { Click(editor(), "SpeedButton_NovyZaznam"); });
    EditFirstRow("900", "450");
    Click(editor(), "Button_Storno");
  });
  OpenEditor([this] {
    EXPECT_EQ(RowsUnderTitle(TableGrid(editor())), (GridTexts{{"1000.000000", "500.000000"}}))
        << "each opening starts from the table";
    TableGrid(editor()).SetRow(1);
    Click(editor(), "SpeedButton_OdstranitZaznam");
    editor().close();
  });
  EXPECT_EQ(form->Core().Calibration(), (CalibrationTable{{1000.0f, 500.0f}}));
  EXPECT_EQ(CalibrationFile(), kFileBefore);
}

// Reports go on being converted while the editor is open, with the table as it stands; the
// saved table converts the very next one. One point of 500, then 250, mHz per m/s.
TEST_F(CalibrationMenuTest, SavedTableConvertsTheNextReport) {
  StartCaptureAndPrime();
  const auto newest = [this] { return form->Core().Records().Newest(); };
  OpenEditor([&] {
    Deliver(FakeHidTransport::MakeReport(2, "03000", "04000"));
    EXPECT_FLOAT_EQ(newest().AvgSpeed, 6.0f);
    EditFirstRow("1000", "250");
    Deliver(FakeHidTransport::MakeReport(3, "03000", "04000"));
    EXPECT_FLOAT_EQ(newest().AvgSpeed, 6.0f) << "an edit is not in use before Uložit";
    Click(editor(), "Button_Ulozit");
  });
  Deliver(FakeHidTransport::MakeReport(4, "03000", "04000"));
  EXPECT_EQ(form->Core().Records().Size(), 3u);
  EXPECT_FLOAT_EQ(newest().AvgSpeed, 12.0f);
  EXPECT_FLOAT_EQ(newest().GustSpeed, 16.0f);
  EXPECT_EQ(CalibrationFile(), "1000.000000 250.000000\n");
}

// An installed copy: nothing of the program's beside its executable, whose folder the user
// cannot write. The first start reads the installed default table without a notice; the saved
// table and a changed setting go to the user's folder and come back at the next start.
TEST_F(CalibrationMenuTest, InstalledCopyKeepsTheUsersTableAndSettings) {
  namespace fs = std::filesystem;
  TemporaryProgramDir tree;
  fs::create_directories(tree.File("usr/bin"));
  fs::create_directories(tree.File("usr/share/kelvra-anemometer"));
  tree.Write("usr/share/kelvra-anemometer/anemometer.cal", "2000.000000 400.000000\n");
  fs::permissions(tree.File("usr/bin"), fs::perms::owner_read | fs::perms::owner_exec);
  const ProgramFiles files = LocateProgramFiles(
      {tree.File("usr/bin"), tree.File("home").string(), tree.File("config").string(), ""});
  const auto start = [&] {
    form = std::make_unique<TMainForm>(MainFormServices{hid, clock, files, &messages, &dialogs});
    AddEditor();
  };

  form.reset();
  start();
  EXPECT_EQ(form->Core().Calibration(), (CalibrationTable{{2000.0f, 400.0f}}));
  NamedChild<QComboBox>(*form, "ComboBox_TypGrafuNaKompasu").setCurrentIndex(2);
  emit NamedChild<QComboBox>(*form, "ComboBox_TypGrafuNaKompasu").activated(2);
  OpenEditor([this] {
    EditFirstRow("1000", "250");
    Click(editor(), "Button_Ulozit");
  });

  form.reset();
  start();
  EXPECT_EQ(form->Core().Calibration(), (CalibrationTable{{1000.0f, 250.0f}}));
  EXPECT_EQ(form->Wind().CompassChartType(), 3);
  EXPECT_TRUE(fs::is_regular_file(tree.File("config/kelvra-anemometer/anemometer.ini")));
  EXPECT_TRUE(fs::is_empty(tree.File("usr/bin")));
  EXPECT_FALSE(fs::exists(tree.File("home"))) << "XDG_CONFIG_HOME wins over HOME";
  EXPECT_TRUE(messages.Shown().empty());
  fs::permissions(tree.File("usr/bin"), fs::perms::owner_all);
}

TEST_F(CalibrationMenuTest, UnwritableFileIsReportedAndTheNewTableStaysInUse) {
  std::filesystem::remove(programDir.File("anemometer.cal"));
  std::filesystem::create_directory(programDir.File("anemometer.cal"));
  messages.Expect("Error openning calibration file, new values are not saved.", "Information",
                  MessageIcon::Information);
  OpenEditor([this] {
    EditFirstRow("1000", "250");
    Click(editor(), "Button_Ulozit");
  });
  EXPECT_FLOAT_EQ(form->Core().SpeedFromFrequency(3000), 12.0f);
}

// Start-up creates the dialogs right after the main window in the program's order, and the
// table window edits its rows in the program's row editor.
TEST(ProgramWindowsTest, DialogsAreCreatedInOrderAndWired) {
  TemporaryProgramDir programDir;
  programDir.Write("anemometer.cal", "1000.000000 500.000000\n");
  FakeHidTransport hid;
  FixedClock clock;
  FakeSoundPlayer sound;
  QTimer unexpectedBox;  // start-up with a readable table shows no box
  unexpectedBox.setSingleShot(true);
  QObject::connect(&unexpectedBox, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) {
      ADD_FAILURE() << "unexpected window " << box->windowTitle().toStdString();
      box->close();
    }
  });
  unexpectedBox.start(3000);
  const ProgramWindows windows =
      CreateProgramWindows({hid, clock, sound, ProgramFiles{programDir.Path()}});
  unexpectedBox.stop();
  TMainForm& mainForm = *windows.MainForm;

  std::vector<QObject*> dialogs;
  for (QObject* child : mainForm.children()) {
    if (qobject_cast<QDialog*>(child) != nullptr) dialogs.push_back(child);
  }
  std::vector<QString> names;
  for (QObject* dialog : dialogs) names.push_back(dialog->objectName());
  EXPECT_EQ(names,
            (std::vector<QString>{"AboutBox", "AlarmsForm", "KalibracniTabulkaForm",
                                  "KalibracniTabulkaZaznamForm", "NastaveniSmeruVetruForm"}));

  auto& editor = NamedChild<TKalibracniTabulkaForm>(mainForm, "KalibracniTabulkaForm");
  const ModalAnswer answer(editor, [&] {
    RunWithRowEditor(
        NamedChild<TKalibracniTabulkaZaznamForm>(mainForm, "KalibracniTabulkaZaznamForm"), "2000",
        "600", true, [&] { Click(editor, "SpeedButton_NovyZaznam"); });
    EXPECT_EQ(TableGrid(editor).RowCount(), 3);
    Click(editor, "Button_Storno");
  });
  mainForm.KalibracniTabulkaClick(nullptr);
  EXPECT_TRUE(answer.ShownModally());
}

}  // namespace
