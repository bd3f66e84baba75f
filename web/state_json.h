#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include "core/measurement_record.h"

// One record as the JSON object of PREFIX/state: time (ISO 8601 local time with its offset),
// wind_speed, wind_gust, wind_direction (the sector name), wind_direction_deg, temperature,
// wind_chill, wind_chill_gust, beaufort, beaufort_gust. A value that is not finite is left out,
// and so is the angle when there is no direction.
QByteArray StateJson(const MeasurementRecord& record);
QJsonObject StateObject(const MeasurementRecord& record);

// "2026-12-07T11:45:03+01:00": the local time and the offset its zone had then.
QString LocalIsoTime(const SystemTime& time);
// The same of a moment, to the second: "+00:00" rather than "Z", as the state has it.
QString IsoTimeWithOffset(const QDateTime& local);
