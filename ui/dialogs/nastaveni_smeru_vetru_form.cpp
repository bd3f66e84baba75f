#include "ui/dialogs/nastaveni_smeru_vetru_form.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRect>

#include "ui/dialogs/dialog_controls.h"

TNastaveniSmeruVetruForm::TNastaveniSmeruVetruForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      Label_Posunuti(PlaceLabel(this, "Label_Posunuti", "Posunutí:", 48, 11)),
      ComboBox_Posunuti(new QComboBox(this)),
      // Neither button is the default one: Enter on the combo box must not throw the pick away.
      Button_Storno(PlaceButton(this, "Button_Storno", "Zrušit", QRect(24, 50, 67, 25))),
      Button_Ulozit(PlaceButton(this, "Button_Ulozit", "Uložit", QRect(119, 50, 66, 25))) {
  setObjectName(QStringLiteral("NastaveniSmeruVetruForm"));
  setWindowTitle(QString::fromUtf8("Nastavení směru větru"));
  setFixedSize(210, 83);

  ComboBox_Posunuti->setObjectName(QStringLiteral("ComboBox_Posunuti"));
  for (int offset = 0; offset < 16; ++offset) ComboBox_Posunuti->addItem(QString::number(offset));
  ComboBox_Posunuti->setGeometry(103, 8, 42, 21);

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
