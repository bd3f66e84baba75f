#include "alarms/alarm_limit_controls.h"

#include <QLineEdit>
#include <QPushButton>

#include "alarms/alarm_limits.h"
#include "alarms/up_down.h"

void CreateAlarmLimitControls(QWidget* parent, const QString& name, const AlarmLimitPlaces& places,
                              AlarmLimits& limits, AlarmLimit limit) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QStringLiteral("Edit_") + name);
  edit->setReadOnly(true);
  edit->setGeometry(places.edit);

  auto* upDown = new TUpDown(parent);
  upDown->setObjectName(QStringLiteral("UpDown_") + name);
  upDown->setGeometry(places.spinner);

  auto* button = new QPushButton(parent);
  button->setObjectName(QStringLiteral("Button_") + name);
  // In a dialog, Enter must not arm or disarm a limit behind the user's back.
  button->setAutoDefault(false);
  button->setGeometry(places.button);

  const auto show = [&limits, limit, edit, button] {
    edit->setText(QString::number(limits.Value(limit)));
    button->setText(QString::fromLatin1(AlarmSwitchCaption(limits.IsArmed(limit))));
  };
  QObject::connect(upDown, &TUpDown::Clicked, parent,
                   [&limits, limit](UpDownButton arrow) { limits.Step(limit, arrow); });
  QObject::connect(button, &QPushButton::clicked, parent,
                   [&limits, limit] { limits.ToggleArmed(limit); });
  QObject::connect(&limits, &AlarmLimits::Changed, parent, [show, limit](AlarmLimit changed) {
    if (changed == limit) show();
  });
  show();
}
