// What every run sets up once the application exists: Qt's Czech texts and the window icon, and
// what waits until the window is up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QLibraryInfo>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QToolButton>
#include <chrono>
#include <future>
#include <memory>
#include <utility>
#include <vector>

#include "tests/ui/main_form_fixture.h"
#include "ui/desktop/icon_theme.h"
#include "ui/desktop/session_bus.h"
#include "ui/startup/program.h"

namespace {

// Counts the paint events of the widget it watches.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// Standard buttons of message boxes and file dialogs take their texts from qtbase_cs.
TEST(ProgramConventionsTest, StandardButtonsSpeakCzech) {
  if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                     QStringLiteral("/qtbase_cs.qm"))) {
    GTEST_SKIP() << "Qt's translations (qt6-translations-l10n) are not installed";
  }
  QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Save);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("Zrušit"));
  EXPECT_EQ(buttons.button(QDialogButtonBox::Save)->text(), QString::fromUtf8("Uložit"));
}

TEST_F(MainFormTest, WindowHasTheProgramIcon) {
  EXPECT_FALSE(QApplication::windowIcon().isNull());
  EXPECT_FALSE(form->windowIcon().isNull());
}

// The menu entry's icon, once installed in the icon theme, takes the place of the drawn compass.
TEST(ProgramConventionsTest, InstalledIconReplacesTheDrawnOne) {
  const QIcon drawn = QApplication::windowIcon();
  const QStringList searchPaths = QIcon::themeSearchPaths();
  const QString themeName = QIcon::themeName();
  QTemporaryDir dir;
  QIcon::setThemeSearchPaths({dir.path()});
  QIcon::setThemeName(QStringLiteral("installed"));
  UseInstalledProgramIcon(InstalledProgramIcon());
  EXPECT_EQ(QApplication::windowIcon().cacheKey(), drawn.cacheKey()) << "no theme, no icon";

  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("installed/48x48/apps")));
  QFile index(dir.filePath(QStringLiteral("installed/index.theme")));
  ASSERT_TRUE(index.open(QIODevice::WriteOnly));
  index.write(
      "[Icon Theme]\nName=installed\nDirectories=48x48/apps\n\n"
      "[48x48/apps]\nSize=48\nType=Fixed\n");
  index.close();
  QImage picture(48, 48, QImage::Format_ARGB32);
  picture.fill(Qt::red);
  ASSERT_TRUE(
      picture.save(dir.filePath(QStringLiteral("installed/48x48/apps/cz.kelvra.anemometer.png"))));
  QIcon::setThemeName(QStringLiteral("installed"));  // looks again
  UseInstalledProgramIcon(InstalledProgramIcon());
  EXPECT_EQ(QApplication::windowIcon().name(), QStringLiteral("cz.kelvra.anemometer"));

  QIcon::setThemeSearchPaths(searchPaths);
  QIcon::setThemeName(themeName);
  QApplication::setWindowIcon(drawn);
}

// The icon theme's index is read on the program's thread while the window is built and shown:
// the window is built without waiting for it, and its tool buttons get their pictures once that
// thread is done.
TEST_F(MainFormTest, ToolButtonsWaitForTheIconTheme) {
  form.reset();
  int waits = 0;
  SetIconThemeWait([&] { ++waits; });
  CreateForm();
  EXPECT_EQ(waits, 0);
  EXPECT_TRUE(IconThemeBeingRead());
  EXPECT_NE(form->findChild<QMenuBar*>(QStringLiteral("MainMenu")), nullptr);
  for (const QToolButton* button : form->findChildren<QToolButton*>()) {
    if (button->objectName().startsWith("SpeedButton_")) {
      EXPECT_TRUE(button->icon().isNull()) << button->objectName().toStdString();
    }
  }
  form->ShowToolButtonIcons();
  EXPECT_EQ(waits, 1);
  EXPECT_FALSE(IconThemeBeingRead());
  WaitForIconTheme();
  EXPECT_EQ(waits, 1) << "a wait runs once";

  const std::pair<const char*, QStyle::StandardPixmap> glyphs[] = {
      {"SpeedButton_FileOpen", QStyle::SP_DialogOpenButton},
      {"SpeedButton_FileSave", QStyle::SP_DialogSaveButton},
      {"SpeedButton_FileSavePdf", QStyle::SP_FileIcon},
      {"SpeedButton_CaptureStart", QStyle::SP_MediaPlay},
      {"SpeedButton_CaptureStop", QStyle::SP_MediaStop},
      {"SpeedButton_Alarms", QStyle::SP_MessageBoxWarning}};
  for (const auto& [name, glyph] : glyphs) {
    const auto* button = form->findChild<QToolButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    EXPECT_EQ(button->icon().pixmap(16).toImage(),
              form->style()->standardIcon(glyph).pixmap(16).toImage())
        << name;
  }
}

// A style that tells on which threads it made its standard icons.
class IconCountingStyle : public QProxyStyle {
 public:
  IconCountingStyle() : QProxyStyle(QStringLiteral("Fusion")) {}
  QIcon standardIcon(StandardPixmap glyph, const QStyleOption* option,
                     const QWidget* widget) const override {
    threads.push_back(QThread::currentThread());
    return QProxyStyle::standardIcon(glyph, option, widget);
  }
  mutable std::vector<QThread*> threads;
};

// The theme's thread makes the tool buttons' pictures; the window takes each once, from the
// style it was made for, and asks its own style for anything else.
TEST(StandardIconTest, PicturesMadeOnTheThemeThreadAreTakenOnceFromTheirStyle) {
  IconCountingStyle style;
  std::future<void> made = std::async(std::launch::async, [&style] {
    const QStyle::StandardPixmap glyphs[] = {QStyle::SP_MediaPlay, QStyle::SP_MediaStop};
    PrepareStandardIcons(style, glyphs);
  });
  ASSERT_EQ(made.wait_for(std::chrono::seconds(60)), std::future_status::ready);
  ASSERT_EQ(style.threads.size(), 2U);
  EXPECT_NE(style.threads[0], QThread::currentThread());

  IconCountingStyle other;
  EXPECT_FALSE(StandardIcon(other, QStyle::SP_MediaPlay).isNull());
  EXPECT_EQ(other.threads.size(), 1U) << "prepared for another style";

  const QIcon prepared = StandardIcon(style, QStyle::SP_MediaPlay);
  EXPECT_EQ(style.threads.size(), 2U) << "the prepared picture, not a new one";
  EXPECT_EQ(prepared.pixmap(16).toImage(),
            style.QProxyStyle::standardIcon(QStyle::SP_MediaPlay).pixmap(16).toImage());
  StandardIcon(style, QStyle::SP_MediaPlay);
  EXPECT_EQ(style.threads.size(), 3U) << "taken once";
  EXPECT_EQ(style.threads.back(), QThread::currentThread());
  StandardIcon(style, QStyle::SP_MediaStop);  // leaves nothing prepared for the next test
}

// The session bus connection begun on a thread is the program's own (Qt's default), which the
// window's accessibility then finds made.
TEST(SessionBusTest, ConnectionBegunOnAThreadIsTheProgramsSessionBus) {
  std::future<void> begun = BeginSessionBusConnection();
  ASSERT_EQ(begun.wait_for(std::chrono::seconds(60)), std::future_status::ready);
  EXPECT_EQ(QDBusConnection::sessionBus().name(), QStringLiteral("qt_default_session_bus"));
}

// The start-up work that waits for the window (the dialogs, the installed icon, the sound
// module) runs once, and only after the window's first paint.
TEST_F(MainFormTest, WorkAfterTheFirstPaintRunsOnceTheWindowIsUp) {
  PaintCounter counter;
  form->installEventFilter(&counter);
  int runs = 0;
  int paintsBefore = 0;
  RunAfterFirstPaint(*form, [&] {
    ++runs;
    paintsBefore = counter.paints;
  });
  QCoreApplication::processEvents();
  EXPECT_EQ(runs, 0) << "the window was never shown";
  form->show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return runs > 0; }, 10000));
  EXPECT_GE(paintsBefore, 1);
  form->repaint();
  QCoreApplication::processEvents();
  EXPECT_EQ(runs, 1);
  form->removeEventFilter(&counter);
}

}  // namespace
