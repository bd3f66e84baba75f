#include "ui/panels/placed_controls.h"

#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QRect>

#include "alarms/alarm_limit_controls.h"
#include "ui/widgets/fit_to_text.h"

QLabel* PlaceLabel(QWidget* parent, const char* text, int left, int top, const char* name) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  if (name != nullptr) label->setObjectName(QString::fromUtf8(name));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->move(left, top);
  FitToText(*label);
  return label;
}

QLabel* PlaceValue(QWidget* parent, const char* name, const char* designText, int left, int top,
                   int width) {
  QLabel* label = PlaceLabel(parent, designText, left, top, name);
  label->resize(width, label->height());
  return label;
}

QLabel* PlacePicture(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* picture = new QLabel(parent);
  picture->setObjectName(QString::fromUtf8(name));
  picture->setGeometry(left, top, width, height);
  picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // Its picture covers it whole: what lies behind (a group box's frame, drawn by the style
  // with several threads for a tall area) is not painted again whenever the picture changes.
  picture->setAttribute(Qt::WA_OpaquePaintEvent);
  return picture;
}

QGroupBox* PlaceGroup(QWidget* parent, const char* name, const char* caption, int left, int top,
                      int width, int height) {
  auto* group = new QGroupBox(QString::fromUtf8(caption), parent);
  group->setObjectName(QString::fromUtf8(name));
  group->setGeometry(left, top, width, height);
  return group;
}

void SetTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  widget->setPalette(palette);
}

void PlaceAlarmTwin(QWidget* parent, const char* caption, const char* name, int left, int top,
                    AlarmLimits& limits, AlarmLimit limit) {
  PlaceLabel(parent, caption, left, top);
  CreateAlarmLimitControls(parent, QString::fromUtf8(name),
                           {QRect(left, top + 15, 36, 21), QRect(left + 36, top + 15, 17, 21),
                            QRect(left + 58, top + 13, 25, 25)},
                           limits, limit);
}

void ShowText(QLabel* label, const QString& text) {
  if (label->text() != text) label->setText(text);
}

void ShowText(QLabel* label, const std::string& text) {
  ShowText(label, QString::fromStdString(text));
}

void ShowPicture(QLabel* image, const QImage& bitmap) {
  image->setPixmap(QPixmap::fromImage(bitmap));
}
