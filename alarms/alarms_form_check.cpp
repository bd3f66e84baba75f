#include <QFile>

#include "alarms/alarm_event_model.h"
#include "alarms/alarm_limits.h"
#include "alarms/alarms_form.h"
#include "alarms/sound_player.h"
#include "core/clock.h"
#include "core/date_time_text.h"

void TAlarmsForm::CheckAlarms(float temperature, float avgSpeed, float gustSpeed,
                              float windChillAvg) {
  const std::array<float, 4> values = {temperature, avgSpeed, gustSpeed, windChillAvg};
  bool raised = false;
  for (AlarmLimit limit : kAlarmLimitsInCheckOrder) {
    if (!limits_.IsArmed(limit)) continue;
    const int limitValue = limits_.Value(limit);
    const float value = values.at(static_cast<std::size_t>(QuantityOf(limit)));
    if (LimitFires(limit, value, limitValue)) {
      AddAlarmEvent(AlarmTypeText(limit), limitValue, value);
      raised = true;
    }
  }
  // One sound per check however many limits fired; it plays on while the next rows arrive.
  // Looked up each time, so a sound the user puts in place is heard at the next alarm.
  if (raised) {
    sound_.PlayAsync(QFile::decodeName(files_.ReadPath("alarm.wav").c_str()));
  }
}

void TAlarmsForm::AddAlarmEvent(const QString& type, int limit, float value) {
  events_->Append(
      AlarmEvent{QString::fromStdString(DateTimeText(clock_.LocalTime())), type, limit, value});
}
