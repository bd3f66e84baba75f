#pragma once

#include <functional>
#include <string>

#include "timeseries/influx_target.h"

// One libcurl handle that posts line protocol to a target, its connection kept open between
// requests. Blocking: for the sender's own thread.
class HttpClient {
 public:
  struct Answer {
    long status = 0;    // the HTTP status; 0 when no answer came
    std::string error;  // no answer: libcurl's reason; else the server's message, if any
  };
  // Asked while a request runs; true ends it at once (no answer).
  using ShouldAbort = std::function<bool()>;

  explicit HttpClient(const InfluxTarget& target);
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  Answer Post(const std::string& body, const ShouldAbort& shouldAbort);

 private:
  const InfluxTarget target_;
  void* curl_ = nullptr;
  struct curl_slist* headers_ = nullptr;
};
