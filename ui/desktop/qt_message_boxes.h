#pragma once

#include "ui/desktop/message_boxes.h"

class QWidget;

// QMessageBox over the owner window. The box runs its own event loop, so posted events (the
// device's data notifications among them) go on being handled while it is open.
class QtMessageBoxes : public MessageBoxes {
 public:
  explicit QtMessageBoxes(QWidget* owner) : owner_(owner) {}
  void Show(const QString& text, const QString& caption, MessageIcon icon) override;

 private:
  QWidget* owner_;
};
