#include "alarm_limit_controls.h"

#include <QLineEdit>
#include <QPushButton>

#include "alarm_limits.h"
#include "up_down.h"

void BindAlarmLimitControls(AlarmLimits& limits, AlarmLimit limit,
                            const AlarmLimitControls& controls, QObject* context) {
  const auto show = [&limits, limit, controls] {
    controls.edit->setText(QString::number(limits.Value(limit)));
    controls.button->setText(QString::fromLatin1(AlarmSwitchCaption(limits.IsArmed(limit))));
  };
  QObject::connect(controls.upDown, &TUpDown::Clicked, context,
                   [&limits, limit](UpDownButton arrow) { limits.Step(limit, arrow); });
  QObject::connect(controls.button, &QPushButton::clicked, context,
                   [&limits, limit] { limits.ToggleArmed(limit); });
  QObject::connect(&limits, &AlarmLimits::Changed, context, [show, limit](AlarmLimit changed) {
    if (changed == limit) show();
  });
  show();
}
