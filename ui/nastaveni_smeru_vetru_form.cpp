#include "nastaveni_smeru_vetru_form.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

TNastaveniSmeruVetruForm::TNastaveniSmeruVetruForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      Label_Posunuti(new QLabel(QString::fromUtf8("Posunutí:"), this)),
      ComboBox_Posunuti(new QComboBox(this)),
      Button_Storno(new QPushButton(QString::fromUtf8("Zrušit"), this)),
      Button_Ulozit(new QPushButton(QString::fromUtf8("Uložit"), this)) {
  setWindowTitle(QString::fromUtf8("Nastavení směru větru"));
  setFixedSize(210, 83);

  Label_Posunuti->move(48, 11);
  Label_Posunuti->adjustSize();
  for (int offset = 0; offset < 16; ++offset) ComboBox_Posunuti->addItem(QString::number(offset));
  ComboBox_Posunuti->setGeometry(103, 8, 42, 21);
  Button_Storno->setGeometry(24, 50, 67, 25);
  Button_Ulozit->setGeometry(119, 50, 66, 25);

  connect(Button_Ulozit, &QPushButton::clicked, this,
          [this] { Button_UlozitClick(Button_Ulozit); });
  connect(Button_Storno, &QPushButton::clicked, this,
          [this] { Button_StornoClick(Button_Storno); });
}

void TNastaveniSmeruVetruForm::SetOffset(int value) {
  ComboBox_Posunuti->setCurrentIndex(value < 0 || value > 15 ? 0 : value);
}

int TNastaveniSmeruVetruForm::GetOffset() const { return ComboBox_Posunuti->currentIndex(); }

void TNastaveniSmeruVetruForm::Button_UlozitClick(QObject* /*sender*/) { accept(); }

void TNastaveniSmeruVetruForm::Button_StornoClick(QObject* /*sender*/) { reject(); }
