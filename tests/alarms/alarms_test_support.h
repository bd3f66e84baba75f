#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTableView>
#include <QToolButton>
#include <ostream>

#include "alarm_limit.h"
#include "alarms_form.h"
#include "fake_sound_player.h"
#include "fixed_clock.h"

inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(AlarmLimit limit, std::ostream* out) { *out << AlarmLimitName(limit); }

struct LimitWidgets {
  QLineEdit* edit;
  TUpDown* upDown;
  QPushButton* button;
};

inline LimitWidgets WidgetsOf(const QWidget& form, AlarmLimit limit) {
  const QString name = QString::fromLatin1(AlarmLimitName(limit));
  return {form.findChild<QLineEdit*>("Edit_" + name), form.findChild<TUpDown*>("UpDown_" + name),
          form.findChild<QPushButton*>("Button_" + name)};
}

// Clicks a spinner's arrow as a user does, through the widget.
inline void ClickArrow(TUpDown* upDown, UpDownButton arrow, int times = 1) {
  const Qt::ArrowType wanted = arrow == UpDownButton::Up ? Qt::UpArrow : Qt::DownArrow;
  for (QToolButton* button : upDown->findChildren<QToolButton*>()) {
    for (int i = 0; i < times && button->arrowType() == wanted; ++i) button->click();
  }
}

// The four cell texts of one row of the event list.
inline QStringList EventRow(const TAlarmsForm& form, int row) {
  const QAbstractItemModel* model = form.StringGrid_AlarmEvents->model();
  QStringList cells;
  for (int column = 0; column < model->columnCount(); ++column) {
    cells << model->data(model->index(row, column)).toString();
  }
  return cells;
}

class AlarmsFormTest : public ::testing::Test {
 protected:
  // Sets the limit with its spinner from 0 and arms it with its button.
  void ArmAt(AlarmLimit limit, int value) {
    const LimitWidgets widgets = WidgetsOf(form, limit);
    ClickArrow(widgets.upDown, value > 0 ? UpDownButton::Up : UpDownButton::Down, std::abs(value));
    widgets.button->click();
    ASSERT_EQ(widgets.edit->text(), QString::number(value));
  }
  int Rows() const { return form.StringGrid_AlarmEvents->model()->rowCount(); }

  FixedClock clock{{2008, 3, 3, 5, 14, 7, 9, 0}};  // 5 March 2008, 14:07:09
  FakeSoundPlayer sound;
  TAlarmsForm form{clock, sound, ProgramFiles{"/opt/kelvra-anemometer"}};
};
