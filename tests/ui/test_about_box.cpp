#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "tests/support/named_child.h"
#include "tests/ui/main_form_fixture.h"
#include "ui/dialogs/about_box.h"

namespace {

// Runs the box modally and does act once its loop is running.
int ExecAnd(TAboutBox& box, const std::function<void()>& act) {
  QTimer::singleShot(0, &box, act);
  return box.exec();
}

TEST(AboutBoxTest, ShowsTheProductWithEveryLabelWhole) {
  TAboutBox box;
  EXPECT_EQ(box.windowTitle(), QStringLiteral("O programu"));
  const auto label = [&box](const char* name) -> QLabel& { return NamedChild<QLabel>(box, name); };
  EXPECT_EQ(label("ProductName").text(), QStringLiteral("Kelvra USB Anemometer"));
  EXPECT_EQ(label("Version").text(), QStringLiteral("Verze 1.2.9"));
  EXPECT_TRUE(label("Copyright").text().startsWith(QString::fromUtf8("Copyright ©")));
  for (const QLabel* text : {&label("ProductName"), &label("Version"), &label("Copyright")}) {
    EXPECT_GE(text->width(), text->sizeHint().width()) << text->text().toStdString();
    EXPECT_TRUE(NamedChild<QFrame>(box, "ProductPanel").contentsRect().contains(text->geometry()))
        << text->text().toStdString() << " leaves the panel";
  }
  // The emblem is drawn on a transparent ground and stretched over its 65 x 57 picture.
  const QImage emblem = label("ProgramIcon").pixmap().toImage();
  ASSERT_EQ(emblem.size(), QSize(32, 32));
  EXPECT_EQ(qAlpha(emblem.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(emblem.pixel(16, 16)), 255);
  EXPECT_TRUE(label("ProgramIcon").hasScaledContents());
}

TEST(AboutBoxTest, OkEnterAndTheCloseBoxEndIt) {
  TAboutBox box;
  EXPECT_EQ(ExecAnd(box, [&] { NamedChild<QPushButton>(box, "OKButton").click(); }),
            QDialog::Accepted);
  EXPECT_EQ(ExecAnd(box,
                    [&] {
                      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                      QApplication::sendEvent(&box, &enter);
                    }),
            QDialog::Accepted);
  EXPECT_EQ(ExecAnd(box, [&] { box.close(); }), QDialog::Rejected);
  EXPECT_FALSE(box.isVisible());
}

// Opening the box changes nothing in the main window, the capture or anemometer.cal, and
// reports go on being processed while it is open.
TEST_F(MainFormTest, AboutBoxKeepsCaptureRunning) {
  auto* about = new TAboutBox(form.get());
  form->AttachDialog(about);
  StartCaptureAndPrime();
  for (std::uint32_t counter : {2u, 3u}) {
    bool modal = false;
    QTimer::singleShot(0, about, [&] {
      modal = QApplication::activeModalWidget() == about;
      Deliver(FakeHidTransport::MakeReport(counter));
      EXPECT_EQ(form->Core().Records().Size(), counter - 1) << "the report came while it was open";
      NamedChild<QPushButton>(*about, "OKButton").click();
    });
    form->ShowAboutClick(&NamedChild<QAction>(*form, "ShowAbout"));
    EXPECT_TRUE(modal);
  }
  EXPECT_EQ(form->CaptureRunning(), 1);
  EXPECT_EQ(form->Core().Calibration(), (CalibrationTable{{1000.0f, 500.0f}}));
  Deliver(FakeHidTransport::MakeReport(4));
  EXPECT_EQ(form->Core().Records().Size(), 3u);
}

}  // namespace
