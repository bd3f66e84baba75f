#include "web/web_page.h"

#include <QFile>
#include <QString>
#include <charconv>
#include <string>
#include <utility>

namespace {

struct PageText {
  const char* key;
  const char* czech;
  const char* english;
};

// clang-format off
constexpr PageText kTexts[] = {
    {"title",       "Anemometr Kelvra",              "Kelvra anemometer"},
    {"live",        "Aktuální údaje",                "Live"},
    {"lost",        "Spojení se ztratilo; připojuji znovu…", "Connection lost; reconnecting…"},
    {"waiting",     "Připojuji…",                    "Connecting…"},
    {"current",     "Aktuální hodnoty",              "Current values"},
    {"speed",       "Rychlost větru",                "Wind speed"},
    {"gust",        "Náraz",                         "Gust"},
    {"direction",   "Směr větru",                    "Wind direction"},
    {"temperature", "Teplota",                       "Temperature"},
    {"chill",       "Pocitová teplota",              "Wind chill"},
    {"beaufort",    "Beaufortova stupnice",          "Beaufort scale"},
    {"last_report", "Poslední hlášení:",             "Last report:"},
    {"charts",      "Grafy",                         "Charts"},
};
// clang-format on

QByteArray Resource(const char* name) {
  QFile file(QStringLiteral(":/web/") + QLatin1String(name));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// q of one Accept-Language item ("en-GB;q=0.8"), 1 without one.
double Quality(std::string_view item) {
  const std::size_t at = item.find(";q=");
  if (at == std::string_view::npos) return 1.0;
  double q = 0.0;
  const std::string_view number = item.substr(at + 3);
  std::from_chars(number.data(), number.data() + number.size(), q);
  return q;
}

bool Starts(std::string_view item, std::string_view language) {
  std::size_t start = item.find_first_not_of(' ');
  if (start == std::string_view::npos) return false;
  item.remove_prefix(start);
  if (item.size() < language.size()) return false;
  for (std::size_t i = 0; i < language.size(); ++i) {
    if ((item[i] | 0x20) != language[i]) return false;
  }
  return item.size() == language.size() || item[language.size()] == '-' ||
         item[language.size()] == ';' || item[language.size()] == ' ';
}

}  // namespace

bool PrefersEnglish(std::string_view acceptLanguage) {
  // Rank and place in the list; of equal ranks the first listed is preferred.
  struct Choice {
    double q = 0.0;
    int place = 0;
  };
  Choice czech;
  Choice english;
  int place = 0;
  while (!acceptLanguage.empty()) {
    const std::size_t comma = acceptLanguage.find(',');
    const std::string_view item = acceptLanguage.substr(0, comma);
    acceptLanguage.remove_prefix(comma == std::string_view::npos ? acceptLanguage.size()
                                                                 : comma + 1);
    --place;
    for (auto [language, choice] : {std::pair{"cs", &czech}, std::pair{"en", &english}}) {
      if (Starts(item, language) && Quality(item) > choice->q) *choice = {Quality(item), place};
    }
  }
  return english.q > 0.0 &&
         (english.q > czech.q || (english.q == czech.q && english.place > czech.place));
}

std::optional<WebResponse> PageFile(const QByteArray& path, std::string_view acceptLanguage) {
  if (path == "/app.js") {
    return WebResponse{200, "text/javascript; charset=utf-8", Resource("app.js"), false, {}};
  }
  if (path == "/app.css") {
    return WebResponse{200, "text/css; charset=utf-8", Resource("app.css"), false, {}};
  }
  if (path != "/") return std::nullopt;
  const bool english = PrefersEnglish(acceptLanguage);
  QByteArray page = Resource("index.html");
  page.replace("{{lang}}", english ? "en" : "cs");
  for (const PageText& text : kTexts) {
    page.replace(QByteArray("{{") + text.key + "}}", english ? text.english : text.czech);
  }
  return WebResponse{200, "text/html; charset=utf-8", page, false, "Accept-Language"};
}
