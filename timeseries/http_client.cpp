#include "timeseries/http_client.h"

#include <curl/curl.h>

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr long kConnectTimeoutSeconds = 10;
// A batch is a few hundred kilobytes; a server that has not taken it in this time is not there.
constexpr long kRequestTimeoutSeconds = 60;
constexpr std::size_t kLongestMessage = 300;

std::size_t KeepBody(char* data, std::size_t size, std::size_t count, void* out) {
  auto& body = *static_cast<std::string*>(out);
  const std::size_t bytes = size * count;
  if (body.size() < 4096) body.append(data, std::min(bytes, 4096 - body.size()));
  return bytes;
}

int Progress(void* abort, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto& shouldAbort = *static_cast<const HttpClient::ShouldAbort*>(abort);
  return shouldAbort && shouldAbort() ? 1 : 0;
}

// InfluxDB answers {"error": "..."} (1.x) or {"message": "..."} (2.x); anything else as it came.
std::string ServerMessage(const std::string& body) {
  const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(body)).object();
  std::string message;
  for (const char* key : {"error", "message"}) {
    if (object.contains(QLatin1String(key))) {
      message = object.value(QLatin1String(key)).toString().toStdString();
      break;
    }
  }
  if (message.empty() && object.isEmpty()) message = body;
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  if (message.size() > kLongestMessage) message = message.substr(0, kLongestMessage) + "...";
  return message;
}

}  // namespace

HttpClient::HttpClient(const InfluxTarget& target) : target_(target) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  curl_ = curl_easy_init();
  headers_ = curl_slist_append(headers_, "Content-Type: text/plain; charset=utf-8");
  if (target_.token) {
    headers_ = curl_slist_append(headers_, ("Authorization: Token " + *target_.token).c_str());
  }
}

HttpClient::~HttpClient() {
  if (curl_ != nullptr) curl_easy_cleanup(curl_);
  curl_slist_free_all(headers_);
  curl_global_cleanup();
}

HttpClient::Answer HttpClient::Post(const std::string& body, const ShouldAbort& shouldAbort) {
  Answer answer;
  CURL* curl = curl_;
  if (curl == nullptr) {
    answer.error = "cannot create the HTTP client";
    return answer;
  }
  std::string received;
  char error[CURL_ERROR_SIZE] = "";
  curl_easy_reset(curl);
  curl_easy_setopt(curl, CURLOPT_URL, target_.writeUrl.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // not the only thread
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers_);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, kRequestTimeoutSeconds);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, KeepBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &received);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &shouldAbort);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  if (!target_.user.empty()) {
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
    curl_easy_setopt(curl, CURLOPT_USERNAME, target_.user.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, target_.password ? target_.password->c_str() : "");
  }
  const CURLcode result = curl_easy_perform(curl);
  if (result != CURLE_OK) {
    answer.error = error[0] != '\0' ? error : curl_easy_strerror(result);
    return answer;
  }
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
  answer.error = ServerMessage(received);
  return answer;
}
