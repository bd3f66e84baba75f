#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "archive/station_archive.h"
#include "core/calibration.h"
#include "device/usb_anemometer.h"
#include "tests/ui/main_form_fixture.h"
#include "ui/panels/trend_chart_panel.h"
#include "ui/widgets/data_string_grid.h"

namespace {

constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGreen = qRgb(0, 128, 0);
constexpr QRgb kBlack = qRgb(0, 0, 0);

// The shown picture of the capture indicator: a 20 x 20 square of colour with a black frame.
void ExpectIndicator(const TMainForm& form, QRgb colour) {
  const QImage picture = NamedChild<QLabel>(form, "Image_CaptureIndicator").pixmap().toImage();
  ASSERT_EQ(picture.size(), QSize(20, 20));
  for (const QPoint corner : {QPoint(0, 0), QPoint(19, 0), QPoint(0, 19), QPoint(19, 19),
                              QPoint(10, 0), QPoint(0, 10), QPoint(19, 10), QPoint(10, 19)}) {
    EXPECT_EQ(picture.pixel(corner), kBlack) << "frame at " << corner.x() << "," << corner.y();
  }
  for (const QPoint inside : {QPoint(1, 1), QPoint(10, 10), QPoint(18, 18)}) {
    EXPECT_EQ(picture.pixel(inside), colour) << "inside at " << inside.x() << "," << inside.y();
  }
}

void ExpectInformation(RecordingMessageBoxes& messages, const char* text) {
  messages.Expect(text, "Informace", MessageIcon::Information);
}

TEST_F(MainFormTest, StartsStoppedWithARedIndicatorAndNothingShown) {
  EXPECT_EQ(form->CaptureRunning(), 0);
  ExpectIndicator(*form, kRed);
  EXPECT_EQ(Grid().RowCount(), 2);
  EXPECT_EQ(Grid().RowInUse, 0);
  EXPECT_EQ(DirectionName(), QStringLiteral("--"));
  EXPECT_EQ(form->Core().Calibration(), (CalibrationTable{{1000.0f, 500.0f}}))
      << "anemometer.cal of the program directory";
  EXPECT_EQ(hid.Opens(), 0) << "nothing is opened before the user asks";
}

TEST_F(MainFormTest, StartAndStopSwitchTheIndicatorAndTheDevice) {
  form->StartCaptureClick(nullptr);
  EXPECT_EQ(form->CaptureRunning(), 1);
  ExpectIndicator(*form, kGreen);
  EXPECT_EQ(hid.OpenConnections(), 1);

  form->StopCaptureClick(nullptr);
  EXPECT_EQ(form->CaptureRunning(), 0);
  ExpectIndicator(*form, kRed);
  EXPECT_EQ(hid.OpenConnections(), 0) << "stopping closes the device";
}

TEST_F(MainFormTest, ToolButtonsAndMenuItemsRunTheCaptureCommands) {
  NamedChild<QToolButton>(*form, "SpeedButton_CaptureStart").click();
  EXPECT_EQ(form->CaptureRunning(), 1);
  NamedChild<QToolButton>(*form, "SpeedButton_CaptureStop").click();
  EXPECT_EQ(form->CaptureRunning(), 0);
  NamedChild<QAction>(*form, "StartCapture").trigger();
  EXPECT_EQ(form->CaptureRunning(), 1);
  NamedChild<QAction>(*form, "StopCapture").trigger();
  EXPECT_EQ(form->CaptureRunning(), 0);
  EXPECT_EQ(hid.Opens(), 2);
}

TEST_F(MainFormTest, StartWhileRunningOnlySaysSo) {
  StartCaptureAndPrime();
  Deliver(FakeHidTransport::MakeReport(2));
  ASSERT_EQ(form->Core().Records().Size(), 1u);

  ExpectInformation(messages, "Čtení dat je už spuštené.");
  form->StartCaptureClick(nullptr);
  EXPECT_EQ(form->CaptureRunning(), 1);
  EXPECT_EQ(hid.Opens(), 1) << "the device is not opened again";
  EXPECT_EQ(form->Core().Records().Size(), 1u) << "nothing is cleared";
  EXPECT_EQ(Grid().RowInUse, 1);
}

TEST_F(MainFormTest, StopWhileStoppedOnlySaysSo) {
  ExpectInformation(messages, "Čtení dat je už zastavené.");
  form->StopCaptureClick(nullptr);
  EXPECT_EQ(form->CaptureRunning(), 0);
  ExpectIndicator(*form, kRed);
}

TEST_F(MainFormTest, StartWithoutDeviceKeepsTheEarlierRows) {
  StartCaptureAndPrime();
  Deliver(FakeHidTransport::MakeReport(2));
  Deliver(FakeHidTransport::MakeReport(3));
  form->StopCaptureClick(nullptr);
  hid.Unplug(anemometer);

  ExpectInformation(messages, "USB anemometer není připojen.");
  form->StartCaptureClick(nullptr);
  EXPECT_EQ(form->CaptureRunning(), 0);
  ExpectIndicator(*form, kRed);
  EXPECT_EQ(form->Core().Records().Size(), 2u);
  EXPECT_EQ(Grid().RowCount(), 3);
}

TEST_F(MainFormTest, StartThatCannotOpenTheDeviceStaysStoppedWithEverythingEmptied) {
  StartCaptureAndPrime();
  Deliver(FakeHidTransport::MakeReport(2));
  form->StopCaptureClick(nullptr);
  hid.SetOpenFails(anemometer, true);

  form->StartCaptureClick(nullptr);  // no message of its own
  EXPECT_EQ(form->CaptureRunning(), 0);
  ExpectIndicator(*form, kRed);
  EXPECT_TRUE(form->Core().Records().Empty());
  EXPECT_EQ(Grid().RowCount(), 2);
  EXPECT_EQ(Grid().RowInUse, 0);
}

TEST_F(MainFormTest, NewCaptureEmptiesEverythingAndDropsItsFirstReport) {
  StartCaptureAndPrime();
  Deliver(FakeHidTransport::MakeReport(2, "03000", "05000", "09", "-4.0"));
  Deliver(FakeHidTransport::MakeReport(3, "03000", "05000", "09", "-4.0"));
  form->StopCaptureClick(nullptr);
  ASSERT_EQ(DirectionName(), QStringLiteral("S"));

  form->StartCaptureClick(nullptr);
  EXPECT_TRUE(form->Core().Records().Empty());
  EXPECT_TRUE(form->Trends().ChartPoints().empty());
  EXPECT_EQ(form->Core().Statistics().Count(), 0u);
  EXPECT_EQ(Grid().RowCount(), 2);
  EXPECT_EQ(Grid().RowInUse, 0);
  EXPECT_EQ(Grid().CellText(0, 1), "");
  EXPECT_EQ(DirectionName(), QStringLiteral("--"));
  EXPECT_EQ(NamedChild<QLabel>(*form, "StaticText_CurOutdoorTemp").text(), QStringLiteral(" 0.00"));
  EXPECT_EQ(NamedChild<TDataStringGrid>(*form, "StringGrid_WindSpeed").CellText(1, 9), "");

  // The device's counter went on; the first report after the start is still dropped.
  Deliver(FakeHidTransport::MakeReport(4));
  EXPECT_TRUE(form->Core().Records().Empty());
  Deliver(FakeHidTransport::MakeReport(5));
  EXPECT_EQ(form->Core().Records().Size(), 1u);
}

TEST_F(MainFormTest, CapturedRowsMadeUpOnesIncludedGoToTheArchive) {
  const std::filesystem::path file = programDir.Path() / "data" / "archive.sqlite";
  form->KeepArchive(file);  // the folder is made
  StartCaptureAndPrime();
  Deliver(FakeHidTransport::MakeReport(2));
  Deliver(FakeHidTransport::MakeReport(4));  // 3 went missing: made up
  form->StopCaptureClick(nullptr);
  StationArchive archive(file, StationArchive::Access::Read);
  std::vector<bool> madeUp;
  archive.ForEachRecord(*archive.FindStation("default"), INT64_MIN / 2, INT64_MAX / 2,
                        [&](const StoredRecord& r) { madeUp.push_back(r.madeUp); });
  EXPECT_EQ(madeUp, (std::vector<bool>{false, true, false}));
}

TEST_F(MainFormTest, AnArchiveItCannotUseIsToldOnceAndCaptureGoesOn) {
  const std::filesystem::path file = programDir.Path() / "notes.txt";
  programDir.Write("notes.txt", std::string(600, 'x'));
  const std::string name = file.string();
  messages.Expect(("Archiv záznamů " + name + " nelze použít:\n" + name +
                   ": PRAGMA application_id: file is not a database\n\nMěření pokračuje, "
                   "záznamy se do archivu neukládají.")
                      .c_str(),
                  "Archiv", MessageIcon::Error);
  form->KeepArchive(file);
  StartCaptureAndPrime();
  Deliver(FakeHidTransport::MakeReport(2));
  Deliver(FakeHidTransport::MakeReport(3));
  EXPECT_EQ(form->Core().Records().Size(), 2u);
  EXPECT_EQ(messages.Shown().size(), 1u);
}

TEST_F(MainFormTest, UnpluggingDuringCaptureStopsItWithItsMessage) {
  StartCaptureAndPrime();
  Deliver(FakeHidTransport::MakeReport(2));

  ExpectInformation(messages, "Anemometer byl odpojen.");
  hid.Unplug(anemometer);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.Shown().empty(); }, 10000));
  EXPECT_EQ(form->CaptureRunning(), 0);
  ExpectIndicator(*form, kRed);
  EXPECT_EQ(hid.OpenConnections(), 0);
  EXPECT_EQ(form->Core().Records().Size(), 1u) << "the rows stay for saving";
}

TEST_F(MainFormTest, RemovalHandledAfterAStopShowsBothMessages) {
  ExpectInformation(messages, "Čtení dat je už zastavené.");
  ExpectInformation(messages, "Anemometer byl odpojen.");
  QCoreApplication::postEvent(form.get(),
                              new QEvent(static_cast<QEvent::Type>(WM_ANEMOMETER_REMOVED)));
  HandlePostedEvents();
  EXPECT_EQ(messages.Shown().size(), 2u);
}

TEST_F(MainFormTest, MalformedReportStopsCaptureWithItsMessage) {
  StartCaptureAndPrime();
  Deliver(FakeHidTransport::MakeReport(2));

  messages.Expect("Capture stopped: received packet has invalid format.", "Error",
                  MessageIcon::Error);
  Deliver(FakeHidTransport::MakeReport(3, "01000", "abcde"));
  EXPECT_EQ(form->CaptureRunning(), 0);
  ExpectIndicator(*form, kRed);
  EXPECT_EQ(hid.OpenConnections(), 0);
  EXPECT_EQ(form->Core().Records().Size(), 1u);
  EXPECT_EQ(Grid().RowCount(), 2);
}

TEST_F(MainFormTest, MalformedFirstReportStopsCaptureToo) {
  form->StartCaptureClick(nullptr);
  messages.Expect("Capture stopped: received packet has invalid format.", "Error",
                  MessageIcon::Error);
  Deliver(FakeHidTransport::MakeReport(1, "01000", "02000", "05", " abc"));
  EXPECT_EQ(form->CaptureRunning(), 0);
}

TEST_F(MainFormTest, ClosingTheWindowWhileCapturingStopsTheLinkBeforeAnythingGoes) {
  StartCaptureAndPrime();
  for (std::uint32_t counter = 2; counter < 200; ++counter) {
    hid.QueueReport(anemometer, FakeHidTransport::MakeReport(counter));
  }
  form->show();
  form->ExitClick(nullptr);
  EXPECT_FALSE(form->isVisible());
  form.reset();  // reports are still being published and notified while this runs
  EXPECT_EQ(hid.OpenConnections(), 0);
  QCoreApplication::processEvents();  // nothing is left for the destroyed window
}

TEST_F(MainFormTest, ReportsAreHandledWhileAModalDialogIsOpen) {
  StartCaptureAndPrime();
  Deliver(FakeHidTransport::MakeReport(2));

  QDialog dialog(form.get());
  QTimer::singleShot(0, &dialog, [&] {
    for (std::uint32_t counter = 3; counter <= 5; ++counter) {
      hid.QueueReport(anemometer, FakeHidTransport::MakeReport(counter));
    }
  });
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
    if (form->Core().Records().Size() == 4) dialog.accept();
  });
  poll.start(5);
  QTimer::singleShot(10000, &dialog, &QDialog::reject);
  EXPECT_EQ(dialog.exec(), QDialog::Accepted) << "the reports did not arrive while it was open";
  EXPECT_EQ(Grid().RowCount(), 5);
}

// The message boxes the user sees are real QMessageBoxes with the given text, caption and icon
// and one OK button, owned by the main window; reports go on while one is open.
class RealMessageBoxTest : public MainFormTest {
 protected:
  void CreateForm() {
    form = std::make_unique<TMainForm>(
        MainFormServices{hid, clock, ProgramFiles{programDir.Path()}, nullptr, &dialogs});
  }
  void SetUp() override {
    programDir.Write("anemometer.cal", "1000.000000 500.000000\n");
    CreateForm();
  }
};

TEST_F(RealMessageBoxTest, BoxShowsItsTextAndKeepsReportsFlowing) {
  StartCaptureAndPrime();
  Deliver(FakeHidTransport::MakeReport(2));

  QString text, caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QWidget* owner = nullptr;
  std::size_t recordsWhileOpen = 0;
  bool queued = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    if (!queued) {
      text = box->text();
      caption = box->windowTitle();
      icon = box->icon();
      buttons = box->standardButtons();
      owner = box->parentWidget();
      hid.QueueReport(anemometer, FakeHidTransport::MakeReport(3));
      queued = true;
    }
    recordsWhileOpen = form->Core().Records().Size();
    if (recordsWhileOpen == 2) box->button(QMessageBox::Ok)->click();
  });
  poll.start(5);
  QTimer::singleShot(10000, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->reject();
  });

  form->StartCaptureClick(nullptr);  // already running: the box tells so
  EXPECT_EQ(text, QString::fromUtf8("Čtení dat je už spuštené."));
  EXPECT_EQ(caption, QStringLiteral("Informace"));
  EXPECT_EQ(icon, QMessageBox::Information);
  EXPECT_EQ(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  EXPECT_EQ(owner, form.get());
  EXPECT_EQ(recordsWhileOpen, 2u) << "the report that came while the box was open";
}

TEST_F(MainFormTest, UnreadableCalibrationFileGivesTheDefaultsWithANotice) {
  form.reset();
  // A file with a blank last line does not load; a good one in the current directory is not
  // looked at.
  programDir.Write("anemometer.cal", "1000.000000 500.000000\n\n");
  TemporaryProgramDir elsewhere;
  elsewhere.Write("anemometer.cal", "1000.000000 500.000000\n");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.Path());

  messages.Expect("Cannot load calibration table, using default values.", "Information",
                  MessageIcon::Information);
  CreateForm();
  std::filesystem::current_path(previous);
  EXPECT_EQ(form->Core().Calibration(), DefaultCalibrationTable());
  EXPECT_EQ(messages.Shown().size(), 1u);
}

}  // namespace
