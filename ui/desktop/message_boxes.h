#pragma once

#include <QString>

enum class MessageIcon { Information, Error };

// Modal message boxes with an OK button, owned by the main window. Tests answer them with a
// recording fake.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual void Show(const QString& text, const QString& caption, MessageIcon icon) = 0;
};
