#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// "Nastavení směru větru": picks how many compass sectors are added to the direction the
// anemometer reports. Created once and reused; each opening starts from SetOffset.
class TNastaveniSmeruVetruForm : public QDialog {
  Q_OBJECT
 public:
  explicit TNastaveniSmeruVetruForm(QWidget* parent = nullptr);

  // Selects the item for value; a value outside 0..15 selects 0.
  void SetOffset(int value);
  // The selected item index, which is the offset.
  int GetOffset() const;

 private:
  void Button_UlozitClick(QObject* sender);
  void Button_StornoClick(QObject* sender);

  QLabel* Label_Posunuti;
  QComboBox* ComboBox_Posunuti;
  QPushButton* Button_Storno;
  QPushButton* Button_Ulozit;
};
