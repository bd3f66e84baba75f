#include "ui/desktop/qt_message_boxes.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <algorithm>

namespace {

// The box's text label is as tall as the font's line, but the program's 11-pixel Tahoma draws
// the accents of capitals (the caron of "Č") above its ascent and the tail of "g" below its
// descent. The label gets that much room above and below its text.
void MakeRoomForInk(QLabel& label) {
  const QFontMetrics metrics(label.font());
  const QRect ink = metrics.tightBoundingRect(label.text());
  const int above = std::max(0, -ink.top() - metrics.ascent());
  const int below = std::max(0, ink.bottom() + 1 - metrics.descent());
  const QMargins margins = label.contentsMargins();
  label.setContentsMargins(margins.left(), margins.top() + above, margins.right(),
                           margins.bottom() + below);
}

}  // namespace

void QtMessageBoxes::Show(const QString& text, const QString& caption, MessageIcon icon) {
  QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                  caption, text, QMessageBox::Ok, owner_);
  // Selectable text is drawn through a text document clipped to the label's contents, where no
  // margin makes room; a plain label draws the text where its margins leave it.
  box.setTextInteractionFlags(Qt::NoTextInteraction);
  for (QLabel* label : box.findChildren<QLabel*>()) {
    if (!label->text().isEmpty()) MakeRoomForInk(*label);
  }
  box.exec();
}
