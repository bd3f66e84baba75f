#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "tests/support/named_child.h"
#include "ui/desktop/program_font.h"
#include "ui/dialogs/nastaveni_smeru_vetru_form.h"

namespace {

// Runs the dialog modally and does action once its event loop is running.
int ExecAnd(TNastaveniSmeruVetruForm& form, std::function<void()> action) {
  QTimer::singleShot(0, &form, std::move(action));
  return form.exec();
}

QComboBox& OffsetCombo(const TNastaveniSmeruVetruForm& form) {
  return NamedChild<QComboBox>(form, "ComboBox_Posunuti");
}

QPushButton& Button(const TNastaveniSmeruVetruForm& form, const char* name) {
  return NamedChild<QPushButton>(form, name);
}

}  // namespace

TEST(DirectionDialogTest, LayoutAndTexts) {
  LoadProgramFonts();
  const QFont previous = QApplication::font();
  QApplication::setFont(ProgramFont());
  TNastaveniSmeruVetruForm form;
  QApplication::setFont(previous);

  EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Nastavení směru větru"));
  EXPECT_EQ(form.size(), QSize(210, 83));
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
  const QLabel& label = NamedChild<QLabel>(form, "Label_Posunuti");
  EXPECT_EQ(label.text(), QString::fromUtf8("Posunutí:"));
  EXPECT_EQ(label.pos(), QPoint(48, 11));
  // At the program's font the label shows its whole text and ends before the combo box.
  EXPECT_GE(label.width(), label.sizeHint().width());
  EXPECT_LE(label.geometry().right(), 102);
  EXPECT_EQ(OffsetCombo(form).geometry().topLeft(), QPoint(103, 8));
  EXPECT_EQ(OffsetCombo(form).width(), 42);
  ASSERT_EQ(OffsetCombo(form).count(), 16);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(OffsetCombo(form).itemText(i), QString::number(i));
  EXPECT_EQ(Button(form, "Button_Storno").text(), QString::fromUtf8("Zrušit"));
  EXPECT_EQ(Button(form, "Button_Storno").geometry(), QRect(24, 50, 67, 25));
  EXPECT_EQ(Button(form, "Button_Ulozit").text(), QString::fromUtf8("Uložit"));
  EXPECT_EQ(Button(form, "Button_Ulozit").geometry(), QRect(119, 50, 66, 25));
}

TEST(DirectionDialogTest, OffsetSelectsItsItemAndOutOfRangeSelectsZero) {
  TNastaveniSmeruVetruForm form;
  for (int offset = 0; offset <= 15; ++offset) {
    form.SetOffset(offset);
    EXPECT_EQ(OffsetCombo(form).currentText(), QString::number(offset));
  }
  for (int offset : {-1, 16, 1000}) {
    form.SetOffset(9);
    form.SetOffset(offset);
    EXPECT_EQ(form.GetOffset(), 0) << offset;
  }
  OffsetCombo(form).setCurrentIndex(13);  // the user's pick
  EXPECT_EQ(form.GetOffset(), 13);
}

TEST(DirectionDialogTest, SaveAcceptsWhileCancelAndTheCloseBoxReject) {
  TNastaveniSmeruVetruForm form;
  form.SetOffset(4);
  int shown = -1;
  EXPECT_EQ(ExecAnd(form,
                    [&] {
                      shown = form.GetOffset();
                      OffsetCombo(form).setCurrentIndex(11);
                      Button(form, "Button_Ulozit").click();
                    }),
            QDialog::Accepted);
  EXPECT_EQ(shown, 4);
  EXPECT_EQ(form.GetOffset(), 11);
  EXPECT_EQ(ExecAnd(form, [&] { Button(form, "Button_Storno").click(); }), QDialog::Rejected);
  EXPECT_EQ(ExecAnd(form, [&] { form.close(); }), QDialog::Rejected);
  EXPECT_FALSE(form.isVisible());
}
