#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QString>
#include <memory>

#include "tests/support/fake_hid_transport.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/named_child.h"
#include "tests/support/recording_message_boxes.h"
#include "tests/support/scripted_file_dialogs.h"
#include "tests/support/temporary_program_dir.h"
#include "tests/support/up_down_clicks.h"
#include "ui/main_window/main_form.h"
#include "ui/widgets/data_string_grid.h"

// A main window on a scripted anemometer, a fixed clock, recorded message boxes and a temporary
// program directory whose calibration table has one point of 500 mHz per m/s, so that every
// frequency f gives f / 500 m/s.
class MainFormTest : public ::testing::Test {
 protected:
  // 6 December 2008, 09:05:07
  static constexpr SystemTime kArrival{2008, 12, 6, 6, 9, 5, 7, 0};
  static constexpr const char* kArrivalText = "6.12 2008 09:05:07";

  void SetUp() override {
    programDir.Write("anemometer.cal", "1000.000000 500.000000\n");
    CreateForm();
  }

  void TearDown() override {
    form.reset();
    EXPECT_TRUE(messages.AllExpectedShown()) << "a message box that was expected did not appear";
  }

  void CreateForm() {
    form = std::make_unique<TMainForm>(
        MainFormServices{hid, clock, ProgramFiles{programDir.Path()}, &messages, &dialogs});
  }

  // Capture running, with the first report (which the decoder drops) already delivered.
  void StartCaptureAndPrime(std::uint32_t firstCounter = 1) {
    form->StartCaptureClick(nullptr);
    ASSERT_EQ(form->CaptureRunning(), 1);
    Deliver(FakeHidTransport::MakeReport(firstCounter));
  }

  // One report through the device link and the window's event queue.
  void Deliver(const Packet& report) {
    hid.QueueReport(anemometer, report);
    ASSERT_TRUE(hid.WaitUntilIdle(anemometer));
    HandlePostedEvents();
  }

  void HandlePostedEvents() { QCoreApplication::sendPostedEvents(form.get()); }

  // The window's data grid, found as any control is, by its object name.
  TDataStringGrid& Grid() const { return NamedChild<TDataStringGrid>(*form, "DataGrid"); }
  QString DirectionName() const { return NamedChild<QLabel>(*form, "StaticText_WindDir").text(); }
  QComboBox& ChartTypes() const {
    return NamedChild<QComboBox>(*form, "ComboBox_TypGrafuNaKompasu");
  }
  // The user picks a pointer type for the wind rose.
  void PickChartType(int item) const {
    ChartTypes().setCurrentIndex(item);
    emit ChartTypes().activated(item);
  }

  TemporaryProgramDir programDir;
  FakeHidTransport hid;
  const std::size_t anemometer = hid.AddAnemometer();
  FixedClock clock{kArrival};
  RecordingMessageBoxes messages;
  ScriptedFileDialogs dialogs;
  std::unique_ptr<TMainForm> form;
};
