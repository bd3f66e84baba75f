#include <QFile>
#include <QLineEdit>

#include "alarm_event_model.h"
#include "alarms_form.h"
#include "clock.h"
#include "date_time_text.h"
#include "limit_stepping.h"
#include "sound_player.h"

void TAlarmsForm::CheckAlarms(float temperature, float avgSpeed, float gustSpeed,
                              float windChillAvg) {
  const std::array<float, 4> values = {temperature, avgSpeed, gustSpeed, windChillAvg};
  bool raised = false;
  for (AlarmLimit limit : kAlarmLimitsInCheckOrder) {
    const std::size_t index = IndexOf(limit);
    if (armed_.at(index) == 0) {
      continue;
    }
    limitValue_.at(index) = ReadLimitText(Controls(limit).edit->text());
    const float value = values.at(static_cast<std::size_t>(QuantityOf(limit)));
    if (LimitFires(limit, value, limitValue_.at(index))) {
      AddAlarmEvent(AlarmTypeText(limit), limitValue_.at(index), value);
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
