#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <functional>

#include "nastaveni_smeru_vetru_form.h"
#include "program_font.h"

namespace {

// Runs the dialog modally and does action once its event loop is running.
int ExecAnd(TNastaveniSmeruVetruForm& form, std::function<void()> action) {
  QTimer::singleShot(0, &form, std::move(action));
  return form.exec();
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
  EXPECT_EQ(form.Label_Posunuti->text(), QString::fromUtf8("Posunutí:"));
  EXPECT_EQ(form.Label_Posunuti->pos(), QPoint(48, 11));
  // At the program's font the label shows its whole text and ends before the combo box.
  EXPECT_GE(form.Label_Posunuti->width(), form.Label_Posunuti->sizeHint().width());
  EXPECT_LE(form.Label_Posunuti->geometry().right(), 102);
  EXPECT_EQ(form.ComboBox_Posunuti->geometry().topLeft(), QPoint(103, 8));
  EXPECT_EQ(form.ComboBox_Posunuti->width(), 42);
  ASSERT_EQ(form.ComboBox_Posunuti->count(), 16);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(form.ComboBox_Posunuti->itemText(i), QString::number(i));
  EXPECT_EQ(form.Button_Storno->text(), QString::fromUtf8("Zrušit"));
  EXPECT_EQ(form.Button_Storno->geometry(), QRect(24, 50, 67, 25));
  EXPECT_EQ(form.Button_Ulozit->text(), QString::fromUtf8("Uložit"));
  EXPECT_EQ(form.Button_Ulozit->geometry(), QRect(119, 50, 66, 25));
}

TEST(DirectionDialogTest, OffsetSelectsItsItemAndOutOfRangeSelectsZero) {
  TNastaveniSmeruVetruForm form;
  for (int offset = 0; offset <= 15; ++offset) {
    form.SetOffset(offset);
    EXPECT_EQ(form.ComboBox_Posunuti->currentText(), QString::number(offset));
  }
  for (int offset : {-1, 16, 1000}) {
    form.SetOffset(9);
    form.SetOffset(offset);
    EXPECT_EQ(form.GetOffset(), 0) << offset;
  }
  form.ComboBox_Posunuti->setCurrentIndex(13);  // the user's pick
  EXPECT_EQ(form.GetOffset(), 13);
}

TEST(DirectionDialogTest, SaveAcceptsWhileCancelAndTheCloseBoxReject) {
  TNastaveniSmeruVetruForm form;
  form.SetOffset(4);
  int shown = -1;
  EXPECT_EQ(ExecAnd(form,
                    [&] {
                      shown = form.GetOffset();
                      form.ComboBox_Posunuti->setCurrentIndex(11);
                      form.Button_Ulozit->click();
                    }),
            QDialog::Accepted);
  EXPECT_EQ(shown, 4);
  EXPECT_EQ(form.GetOffset(), 11);
  EXPECT_EQ(ExecAnd(form, [&] { form.Button_Storno->click(); }), QDialog::Rejected);
  EXPECT_EQ(ExecAnd(form, [&] { form.close(); }), QDialog::Rejected);
  EXPECT_FALSE(form.isVisible());
}
