#include "qt_message_boxes.h"

#include <QMessageBox>

void QtMessageBoxes::Show(const QString& text, const QString& caption, MessageIcon icon) {
  QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                  caption, text, QMessageBox::Ok, owner_);
  box.exec();
}
