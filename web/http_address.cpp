#include "web/http_address.h"

#include <arpa/inet.h>

#include <charconv>

namespace {

std::optional<int> PortOf(std::string_view text) {
  int port = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
  if (port < 1 || port > 65535) return {};
  return port;
}

}  // namespace

std::optional<HttpAddress> ParseHttpAddress(std::string_view text) {
  HttpAddress address;
  std::string_view portText = text;
  if (text.starts_with('[')) {
    const std::size_t close = text.find("]:");
    if (close == std::string_view::npos) return {};
    address.host = std::string(text.substr(1, close - 1));
    address.ipv6 = true;
    portText = text.substr(close + 2);
  } else if (const std::size_t colon = text.rfind(':'); colon != std::string_view::npos) {
    address.host = std::string(text.substr(0, colon));
    portText = text.substr(colon + 1);
  }
  const std::optional<int> port = PortOf(portText);
  if (!port) return {};
  address.port = *port;
  unsigned char bytes[16];
  if (inet_pton(address.ipv6 ? AF_INET6 : AF_INET, address.host.c_str(), bytes) != 1) return {};
  return address;
}
