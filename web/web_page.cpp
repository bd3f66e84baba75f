#include "web/web_page.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <charconv>
#include <string>
#include <utility>

#include "web/state_json.h"

namespace {

struct PageText {
  const char* key;
  const char* czech;
  const char* english;
};

// clang-format off
constexpr PageText kTexts[] = {
    {"title",              "Anemometr Kelvra",              "Kelvra anemometer"},
    {"live",               "Aktuální údaje",                "Live"},
    {"lost",               "Spojení se ztratilo; připojuji znovu…", "Connection lost; reconnecting…"},
    {"waiting",            "Připojuji…",                    "Connecting…"},
    {"units",              "Jednotky",                      "Units"},
    {"current",            "Aktuální hodnoty",              "Current values"},
    {"speed",              "Rychlost větru",                "Wind speed"},
    {"gust",               "Náraz",                         "Gust"},
    {"direction",          "Směr větru",                    "Wind direction"},
    {"north",              "S",                             "N"},
    {"east",               "V",                             "E"},
    {"south",              "J",                             "S"},
    {"west",               "Z",                             "W"},
    {"temperature",        "Teplota",                       "Temperature"},
    {"chill",              "Pocitová teplota",              "Wind chill"},
    {"beaufort",           "Beaufortova stupnice",          "Beaufort scale"},
    {"last_report",        "Poslední hlášení:",             "Last report:"},
    {"connected",          "anemometr připojen",            "anemometer connected"},
    {"disconnected",       "anemometr odpojen",             "anemometer disconnected"},
    {"history",            "Průběh",                        "History"},
    {"range_day",          "24 hodin",                      "24 hours"},
    {"range_week",         "7 dní",                         "7 days"},
    {"range_month",        "30 dní",                        "30 days"},
    {"range_year",         "Rok",                           "Year"},
    {"chart_speed",        "Rychlost a nárazy",             "Speed and gusts"},
    {"chart_direction",    "Průměrný směr",                 "Mean direction"},
    {"chart_temperature",  "Teplota",                       "Temperature"},
    {"mean",               "Průměr",                        "Mean"},
    {"lowest",             "Nejnižší",                      "Lowest"},
    {"highest",            "Nejvyšší",                      "Highest"},
    {"time",               "Čas",                           "Time"},
    {"rose",               "Větrná růžice",                 "Wind rose"},
    {"today",              "Dnes",                          "Today"},
    {"this_month",         "Tento měsíc",                   "This month"},
    {"figures",            "Dnes a tento měsíc",            "Today and this month"},
    {"mean_speed",         "Průměrná rychlost",             "Mean speed"},
    {"high_gust",          "Nejvyšší náraz",                "Highest gust"},
    {"wind_run",           "Větrná dráha",                  "Wind run"},
    {"vector_direction",   "Průměrný směr (vektorový)",     "Vector-mean direction"},
    {"records",            "Rekordy stanice",               "Station records"},
    {"highest_daily_mean", "Nejvyšší denní průměr",         "Highest daily mean speed"},
    {"greatest_run",       "Největší denní větrná dráha",   "Greatest daily wind run"},
    {"lowest_temperature", "Nejnižší teplota",              "Lowest temperature"},
    {"lowest_chill",       "Nejnižší pocitová teplota",     "Lowest wind chill"},
    {"no_data",            "Za toto období nejsou data.",   "No data for this period."},
    {"no_archive",         "Logger nevede archiv, průběh ani růžici nelze ukázat.",
                           "The logger keeps no archive: no history and no wind rose."},
    {"calm",               "bezvětří",                      "calm"},
    {"records_count",      "záznamů",                       "records"},
};
// clang-format on

struct Asset {
  const char* path;
  const char* contentType;
};

constexpr char kScript[] = "text/javascript; charset=utf-8";
constexpr char kStyle[] = "text/css; charset=utf-8";

// clang-format off
constexpr Asset kAssets[] = {
    {"/app.css",           kStyle},
    {"/units.js",          kScript},
    {"/live.js",           kScript},
    {"/history.js",        kScript},
    {"/rose.js",           kScript},
    {"/figures.js",        kScript},
    {"/uPlot.iife.min.js", kScript},
    {"/uPlot.min.css",     kStyle},
    {"/icon.svg",          "image/svg+xml"},
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

std::optional<WebResponse> PageFile(const QByteArray& path, std::string_view acceptLanguage,
                                    const QByteArray& firstData) {
  for (const Asset& asset : kAssets) {
    if (path == asset.path) {
      return WebResponse{200, asset.contentType, Resource(asset.path + 1), false, {}};
    }
  }
  if (path != "/") return std::nullopt;
  const bool english = PrefersEnglish(acceptLanguage);
  QByteArray page = Resource("index.html");
  page.replace("{{lang}}", english ? "en" : "cs");
  // The station's clock, so that the page can ask for its periods without waiting for it.
  page.replace("{{now}}", IsoTimeWithOffset(QDateTime::currentDateTime()).toLatin1());
  QJsonObject texts;
  for (const PageText& text : kTexts) {
    const char* chosen = english ? text.english : text.czech;
    page.replace(QByteArray("{{") + text.key + "}}", chosen);
    texts.insert(QLatin1String(text.key), QString::fromUtf8(chosen));
  }
  // The page's scripts read their texts and first data from data blocks: no inline script
  // runs. A "<" is only ever inside a JSON string, where its escape means the same.
  page.replace("{{texts}}",
               QJsonDocument(texts).toJson(QJsonDocument::Compact).replace("<", "\\u003c"));
  page.replace("{{first}}", QByteArray(firstData).replace("<", "\\u003c"));
  return WebResponse{200, "text/html; charset=utf-8", page, false, "Accept-Language"};
}
