// What Enter and Escape do in each of the program's modal windows: Enter never cancels. The
// editors have no default button, so Enter leaves them open; in the about box and the message
// boxes it means OK. Escape cancels, except in a message box, whose one answer is OK.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

#include "alarms/alarm_limits.h"
#include "alarms/alarms_form.h"
#include "tests/support/fake_sound_player.h"
#include "tests/support/fixed_clock.h"
#include "ui/desktop/qt_message_boxes.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/kalibracni_tabulka_form.h"
#include "ui/dialogs/kalibracni_tabulka_zaznam_form.h"
#include "ui/dialogs/nastaveni_smeru_vetru_form.h"

namespace {

constexpr int kStillOpen = 42;

// Runs open (which shows a window modally and returns when it is closed), presses key on the
// widget that has the focus in that window, and closes it with kStillOpen if the key did not.
// Returns the window's result.
int PressInModalWindow(const std::function<void()>& open, int key) {
  int result = -1;
  QTimer press;
  press.setSingleShot(true);
  QObject::connect(&press, &QTimer::timeout, [&] {
    auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (window == nullptr) return;  // result stays -1 and the test fails
    QWidget* target = window->focusWidget() != nullptr ? window->focusWidget() : window;
    QTest::keyClick(target, static_cast<Qt::Key>(key));
    if (window->isVisible()) {
      window->done(kStillOpen);
      result = kStillOpen;
    } else {
      result = window->result();
    }
  });
  press.start(0);
  open();
  return result;
}

}  // namespace

TEST(DialogKeysTest, EnterNeverCancelsAndEscapeCancels) {
  FixedClock clock;
  FakeSoundPlayer sound;
  TNastaveniSmeruVetruForm direction;
  TKalibracniTabulkaForm table;
  TKalibracniTabulkaZaznamForm row;
  TAboutBox about;
  AlarmLimits limits;
  TAlarmsForm alarms(clock, sound, ProgramFiles(), limits);
  QWidget owner;
  QtMessageBoxes boxes(&owner);
  const auto exec = [](QDialog& dialog) { return [&dialog] { dialog.exec(); }; };
  const auto message = [&boxes] {
    boxes.Show(QString::fromUtf8("Čtení dat je už spuštené."), QStringLiteral("Informace"),
               MessageIcon::Information);
  };

  struct Case {
    const char* window;
    std::function<void()> open;
    int enter;
    int escape;
  };
  const Case cases[] = {
      {"direction offset", exec(direction), kStillOpen, QDialog::Rejected},
      {"calibration table", exec(table), kStillOpen, QDialog::Rejected},
      {"calibration row", exec(row), kStillOpen, QDialog::Rejected},
      {"alarms", exec(alarms), kStillOpen, QDialog::Rejected},
      {"about box", exec(about), QDialog::Accepted, QDialog::Rejected},
      {"message box", message, QMessageBox::Ok, QMessageBox::Ok},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PressInModalWindow(c.open, Qt::Key_Return), c.enter) << c.window << ": Enter";
    EXPECT_EQ(PressInModalWindow(c.open, Qt::Key_Enter), c.enter) << c.window << ": keypad Enter";
    EXPECT_EQ(PressInModalWindow(c.open, Qt::Key_Escape), c.escape) << c.window << ": Escape";
  }
}
