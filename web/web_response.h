#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <map>
#include <string>
#include <utility>

// A request's query parameters, decoded; a name given twice is refused before they get here.
using QueryParameters = std::map<std::string, std::string>;

// What the server sends back. Live answers (the API, the metrics) are never stored by a cache;
// the page's files may be, but are checked again each time.
struct WebResponse {
  int status = 200;
  QByteArray contentType = "application/json";
  QByteArray body;
  bool live = true;  // Cache-Control: no-store, else no-cache
  QByteArray vary;   // a Vary header, when the body depends on a request header
};

inline WebResponse JsonBody(QByteArray body, int status = 200) {
  return {status, "application/json", std::move(body), true, {}};
}

inline WebResponse JsonResponse(const QJsonObject& object, int status = 200) {
  return JsonBody(QJsonDocument(object).toJson(QJsonDocument::Compact), status);
}

inline WebResponse ErrorResponse(int status, const QString& message) {
  return JsonResponse(QJsonObject{{QStringLiteral("error"), message}}, status);
}
