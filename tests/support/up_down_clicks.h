#pragma once

#include <QToolButton>

#include "alarms/up_down.h"

// Clicks a spinner's arrow as a user does, through the widget.
inline void ClickArrow(TUpDown* upDown, UpDownButton arrow, int times = 1) {
  const Qt::ArrowType wanted = arrow == UpDownButton::Up ? Qt::UpArrow : Qt::DownArrow;
  for (QToolButton* button : upDown->findChildren<QToolButton*>()) {
    for (int i = 0; i < times && button->arrowType() == wanted; ++i) button->click();
  }
}
