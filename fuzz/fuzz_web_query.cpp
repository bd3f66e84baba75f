// The web server's routes on any request: the input is a path, then after the first '?' the
// query (name=value pairs joined by '&', %-escaped), decoded as libmicrohttpd decodes them
// before they reach the routes. No crash, no exception out of the routes, no archive error (a
// query the archive cannot answer is the API's mistake), and every JSON answer is JSON.
#include <unistd.h>

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "archive/station_archive.h"
#include "web/live_station.h"
#include "web/web_routes.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// %HH decoded, '+' a space in the query; the routes get C strings, so a decoded NUL ends it.
std::string Unescape(std::string_view text, bool plusIsSpace) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
        HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += plusIsSpace && text[i] == '+' ? ' ' : text[i];
    }
  }
  return out.substr(0, out.find('\0'));
}

// An archive of a few records of one day for the routes to read, in a folder of its own that
// goes when the fuzzer ends.
struct Station {
  std::filesystem::path dir;
  std::unique_ptr<StationArchive> archive;
  LiveStation live{[] { return StationHealth{true, false, 0, std::nullopt}; }};
  WebRoutes routes{live, [this] { return archive.get(); }, "default"};

  Station() {
    char pattern[] = "/tmp/fuzz_web_query.XXXXXX";
    Check(mkdtemp(pattern) != nullptr);
    dir = pattern;
    archive =
        std::make_unique<StationArchive>(dir / "archive.sqlite", StationArchive::Access::Write);
    const std::int32_t station = archive->Station("default");
    std::vector<StoredRecord> records;
    for (std::int64_t i = 0; i < 8; ++i) {
      StoredRecord r;
      r.time = 1793700000 + i * 317;  // from 2026-11-03 10:00 UTC, about five minutes apart
      r.utcOffset = 3600;
      r.avgSpeed = 1500000 * i;
      r.gustSpeed = 2000000 * i;
      r.sector = static_cast<std::int32_t>(i * 3 % 17);
      r.temperature = -4000000 + 1250000 * i;
      r.windChillAvg = r.temperature - 1000000;
      r.windChillGust = r.temperature - 2000000;
      r.beaufortAvg = 1000000 * i / 2;
      r.beaufortGust = 1000000 * i / 2 + 1000000;
      records.push_back(r);
    }
    archive->AppendReport(station, records);
  }
  ~Station() {
    archive.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Station station;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t mark = input.find('?');
  const std::string path = Unescape(input.substr(0, mark), false);
  QueryParameters query;
  if (mark != std::string_view::npos) {
    std::string_view rest = input.substr(mark + 1);
    while (!rest.empty()) {
      const std::size_t end = std::min(rest.find('&'), rest.size());
      const std::string_view pair = rest.substr(0, end);
      rest.remove_prefix(std::min(end + 1, rest.size()));
      if (pair.empty()) continue;
      const std::size_t equals = pair.find('=');
      const std::string name = Unescape(pair.substr(0, equals), true);
      const std::string value =
          equals == std::string_view::npos ? "" : Unescape(pair.substr(equals + 1), true);
      // The server refuses a name given twice before the routes see it.
      if (!query.emplace(name, value).second) return 0;
    }
  }
  const WebResponse answer =
      station.routes.Answer(QByteArray::fromStdString(path), query, "en-GB,cs;q=0.5");
  Check(answer.status != 500);
  if (answer.contentType == "application/json") {
    QJsonParseError error{};
    QJsonDocument::fromJson(answer.body, &error);
    Check(error.error == QJsonParseError::NoError);
  }
  return 0;
}
