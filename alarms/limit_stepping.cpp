#include "limit_stepping.h"

#include <QLineEdit>

#include "c_format.h"

int ReadLimitText(const QString& text) { return ScanInt(text.toStdString()).value_or(0); }

int StepLimitValue(int value, UpDownButton button, LimitBounds bounds) {
  if (button == UpDownButton::Up) {
    return value < bounds.upper ? value + 1 : value;
  }
  return value > bounds.lower ? value - 1 : value;
}

void StepLimitEdit(QLineEdit& edit, UpDownButton button, LimitBounds bounds) {
  const int value = StepLimitValue(ReadLimitText(edit.text()), button, bounds);
  edit.setText(QString::number(value));
}
