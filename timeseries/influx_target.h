#pragma once

#include <optional>
#include <string>
#include <variant>

// Where the logger writes its records: an InfluxDB 1.x write URL (http://host:8086/write?db=NAME,
// also VictoriaMetrics'), or a 2.x one (.../api/v2/write?org=ORG&bucket=BUCKET), told apart by the
// URL's path. Credentials never come from the URL or the command line's values: 1.x takes a user
// name and the password from KELVRA_INFLUX_PASSWORD (basic authentication), 2.x the token from
// KELVRA_INFLUX_TOKEN.
struct InfluxTarget {
  enum class Api { V1, V2 };
  Api api = Api::V1;
  std::string writeUrl;  // with precision=s
  std::string shownUrl;  // for status lines and the delivery mark: no credentials, no precision
  std::string user;      // V1; empty: none
  std::optional<std::string> password;  // V1
  std::optional<std::string> token;     // V2

  // The name the archive keeps this target's delivery mark under.
  std::string DeliveryTarget() const { return "influx " + shownUrl; }
};

// The target, or what is wrong with the URL (in words for a usage error).
std::variant<InfluxTarget, std::string> ParseInfluxTarget(const std::string& url,
                                                          const std::string& user,
                                                          const char* password, const char* token);
