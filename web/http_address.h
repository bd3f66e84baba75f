#pragma once

#include <optional>
#include <string>
#include <string_view>

// Where the web server listens: a numeric IPv4 or IPv6 address and a port.
struct HttpAddress {
  std::string host = "127.0.0.1";  // on this computer only, unless asked otherwise
  int port = 0;
  bool ipv6 = false;
};

// "PORT", "ADDRESS:PORT" or "[IPv6]:PORT"; nullopt for anything else, host names included: the
// server binds before any name service may be up.
std::optional<HttpAddress> ParseHttpAddress(std::string_view text);
