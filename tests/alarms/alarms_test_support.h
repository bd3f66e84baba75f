#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTableView>
#include <ostream>
#include <string>

#include "alarms/alarm_event_model.h"
#include "alarms/alarm_limit.h"
#include "alarms/alarm_limits.h"
#include "alarms/alarms_form.h"
#include "tests/support/fake_sound_player.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/named_child.h"
#include "tests/support/up_down_clicks.h"

inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(AlarmLimit limit, std::ostream* out) { *out << AlarmLimitName(limit); }

struct LimitWidgets {
  QLineEdit* edit;
  TUpDown* upDown;
  QPushButton* button;
};

// The alarms window's controls of one limit, or the main window's with its own names.
inline LimitWidgets WidgetsOf(const QWidget& form, AlarmLimit limit, const char* name = nullptr) {
  const std::string suffix = name != nullptr ? name : AlarmLimitName(limit);
  return {&NamedChild<QLineEdit>(form, ("Edit_" + suffix).c_str()),
          &NamedChild<TUpDown>(form, ("UpDown_" + suffix).c_str()),
          &NamedChild<QPushButton>(form, ("Button_" + suffix).c_str())};
}

// The four cell texts of one row of the event list.
inline QStringList EventRow(const TAlarmsForm& form, int row) {
  const QAbstractItemModel* model = NamedChild<QTableView>(form, "StringGrid_AlarmEvents").model();
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
  int Rows() const { return form.Events().rowCount(); }

  FixedClock clock{{2008, 3, 3, 5, 14, 7, 9, 0}};  // 5 March 2008, 14:07:09
  FakeSoundPlayer sound;
  AlarmLimits limits;
  TAlarmsForm form{clock, sound, ProgramFiles{"/opt/kelvra-anemometer"}, limits};
};
