// What every run sets up once the application exists: Qt's Czech texts and the window icon.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLibraryInfo>
#include <QPushButton>

#include "tests/ui/main_form_fixture.h"

namespace {

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

}  // namespace
