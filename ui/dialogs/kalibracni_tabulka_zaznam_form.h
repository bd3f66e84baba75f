#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// "Záznam": edits the two numbers of one calibration row. Created once and reused; each
// opening starts from SetValues, and the caller reads the result with GetValues after OK.
class TKalibracniTabulkaZaznamForm : public QDialog {
  Q_OBJECT
 public:
  explicit TKalibracniTabulkaZaznamForm(QWidget* parent = nullptr);

  // Both values as "%f" writes them, six decimals.
  void SetValues(float frequency, float constant);
  // Reads each edit as "%f" does (leading blanks skipped, the longest number at the start,
  // the rest ignored). 0 and both places written only when both edits begin with a finite
  // number; -1 otherwise, or when a place is missing, with the places left as they were.
  int GetValues(float* frequency, float* constant) const;

 private:
  void ButtonUlozitClick(QObject* sender);
  void ButtonStornoClick(QObject* sender);

  QLabel* Label_mHz;
  QLabel* Label_CalConst;
  QLineEdit* Edit_mHz;
  QLineEdit* Edit_CalConst;
  QPushButton* ButtonStorno;
  QPushButton* ButtonUlozit;
};
