#include "timeseries/influx_target.h"

#include <QUrl>
#include <QUrlQuery>

std::variant<InfluxTarget, std::string> ParseInfluxTarget(const std::string& text,
                                                          const std::string& user,
                                                          const char* password, const char* token) {
  const QUrl url(QString::fromStdString(text), QUrl::StrictMode);
  const QString scheme = url.scheme();
  if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
      url.host().isEmpty()) {
    return "Bad InfluxDB URL '" + text + "': give http://HOST:8086/write?db=NAME or " +
           "http://HOST:8086/api/v2/write?org=ORG&bucket=BUCKET.";
  }
  if (!url.userInfo().isEmpty()) {
    return std::string(
        "Give no credentials in the InfluxDB URL: --influx-user and "
        "KELVRA_INFLUX_PASSWORD, or KELVRA_INFLUX_TOKEN.");
  }
  QUrlQuery query(url);
  if (query.hasQueryItem(QStringLiteral("u")) || query.hasQueryItem(QStringLiteral("p"))) {
    return std::string(
        "Give no credentials in the InfluxDB URL: --influx-user and "
        "KELVRA_INFLUX_PASSWORD, or KELVRA_INFLUX_TOKEN.");
  }
  InfluxTarget target;
  const QString path = url.path();
  if (path.endsWith(QLatin1String("/api/v2/write"))) {
    target.api = InfluxTarget::Api::V2;
    if (query.queryItemValue(QStringLiteral("bucket")).isEmpty() ||
        (query.queryItemValue(QStringLiteral("org")).isEmpty() &&
         query.queryItemValue(QStringLiteral("orgID")).isEmpty())) {
      return "Bad InfluxDB URL '" + text + "': the 2.x write API needs org=ORG and bucket=BUCKET.";
    }
    if (!user.empty()) {
      return std::string(
          "--influx-user is for InfluxDB 1.x; 2.x takes the token from KELVRA_INFLUX_TOKEN.");
    }
    if (token != nullptr) target.token = token;
  } else if (path.endsWith(QLatin1String("/write"))) {
    if (query.queryItemValue(QStringLiteral("db")).isEmpty()) {
      return "Bad InfluxDB URL '" + text + "': the 1.x write API needs db=NAME.";
    }
    target.user = user;
    if (!user.empty() && password != nullptr) target.password = password;
  } else {
    return "Bad InfluxDB URL '" + text + "': its path must end in /write (1.x) or " +
           "/api/v2/write (2.x).";
  }
  // Seconds: the records' own resolution, and the smallest numbers to send.
  query.removeAllQueryItems(QStringLiteral("precision"));
  QUrl shown = url;
  shown.setQuery(query);
  target.shownUrl = shown.toString(QUrl::FullyEncoded).toStdString();
  query.addQueryItem(QStringLiteral("precision"), QStringLiteral("s"));
  QUrl write = url;
  write.setQuery(query);
  target.writeUrl = write.toString(QUrl::FullyEncoded).toStdString();
  return target;
}
