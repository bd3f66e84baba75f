#pragma once

#include <string>
#include <string_view>

#include "archive/stored_record.h"

// One archived record as a point of InfluxDB's line protocol, timestamp in seconds:
//
//   wind,station=roof wind_speed=3.200000,wind_gust=6.500000,wind_direction="ENE",
//       wind_direction_deg=67.5,temperature=-4.500000,... 1796677294
//
// Fields carry the names of the MQTT state, each value the archive's millionths written out with
// exactly six decimals, so the server holds what the CSV log prints. wind_direction and
// wind_direction_deg are left out when there is no direction.
//
// Records of the same second (made up for missed reports, or reports less than a second apart)
// would overwrite each other, as a server keeps one point per series and timestamp: all but the
// first of a second carry the tag seq=N, their place in the archive order. Sending a record again
// therefore writes the same point again, never a second one.
// station is the tag value as EscapeTagValue gives it.
void AppendLineProtocol(std::string& body, std::string_view station, const StoredRecord& record);

// Commas, spaces and equals signs escaped as a tag value needs them; line ends, which the
// protocol cannot carry, become spaces.
std::string EscapeTagValue(std::string_view value);
