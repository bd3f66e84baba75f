#include "ui/dialogs/dialog_controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QString>

#include "ui/widgets/fit_to_text.h"

QLabel* PlaceLabel(QWidget* parent, const char* name, const char* text, int left, int top) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(QString::fromUtf8(name));
  label->move(left, top);
  FitToText(*label);
  return label;
}

QLineEdit* PlaceEdit(QWidget* parent, const char* name, int left, int top) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromUtf8(name));
  edit->setGeometry(left, top, 88, 21);
  return edit;
}

QPushButton* PlaceButton(QWidget* parent, const char* name, const char* caption,
                         const QRect& geometry) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(QString::fromUtf8(name));
  button->setGeometry(geometry);
  button->setAutoDefault(false);
  return button;
}
