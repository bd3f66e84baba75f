#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "web/http_address.h"
#include "web/web_response.h"

struct MHD_Daemon;
struct MHD_Connection;
class QSocketNotifier;

// A read-only HTTP server (libmicrohttpd) run from this thread's Qt event loop: no thread of its
// own, so the handler reads the program's state without locks. MHD's epoll descriptor is watched
// by a socket notifier and its timeout by a timer. GET and HEAD only; every answer carries a
// content security policy, nosniff and a cache rule.
//
// With a user name every request needs it and the password (HTTP basic authentication); with a
// certificate and key the server speaks only HTTPS.
//
// /api/events is a stream of Server-Sent Events fed by Broadcast. A stream waits suspended until
// there is something to send; one whose client does not read is dropped once its buffer is full.
class WebServer : public QObject {
 public:
  struct Limits {
    unsigned connections = 100;
    unsigned perAddress = 20;  // a browser opens a few; a crowd behind one NAT may need more
    unsigned streams = 50;
    unsigned timeoutSeconds = 30;           // idle connections; above the keep-alive
    std::size_t requestMemory = 32 * 1024;  // headers and all: larger requests are refused
    std::size_t streamBuffer = 64 * 1024;   // events waiting for one client
    std::chrono::milliseconds keepAlive{15000};
  };
  // Who may ask and how the answers travel; all empty: anyone, plain HTTP.
  struct Security {
    std::string user;  // empty: no login
    std::string password;
    std::string certificate;  // PEM; empty: plain HTTP
    std::string key;          // PEM, unencrypted
  };
  using Handler = std::function<WebResponse(const QByteArray& path, const QueryParameters& query,
                                            std::string_view acceptLanguage)>;

  WebServer(HttpAddress address, Handler handler, Limits limits, Security security);
  WebServer(HttpAddress address, Handler handler, Limits limits)
      : WebServer(address, std::move(handler), limits, {}) {}
  WebServer(HttpAddress address, Handler handler) : WebServer(address, std::move(handler), {}) {}
  ~WebServer() override;

  // Binds and starts answering; false with the reason when the address cannot be used.
  bool Start(std::string& error);
  void Stop();
  int Port() const;
  bool Tls() const { return !tlsCertificate_.empty(); }

  // An event to every stream, "event: NAME" with one line of data.
  void Broadcast(const QByteArray& name, const QByteArray& data);
  std::size_t Streams() const { return streams_.size(); }
  // Bytes of events waiting for their clients, all streams together.
  std::size_t Waiting() const;

 private:
  struct Stream;

  struct Callbacks;  // libmicrohttpd calls in, with this server as their closure
  friend struct Callbacks;

  void Send(const QByteArray& text);
  void Run();
  bool Authorized(MHD_Connection* connection) const;

  HttpAddress address_;
  Handler handler_;
  Limits limits_;
  // Digests of the user name and password, compared in constant time; empty: no login.
  QByteArray userDigest_;
  QByteArray passwordDigest_;
  std::string tlsCertificate_;
  std::string tlsKey_;
  std::string startErrors_;  // what libmicrohttpd says while it starts
  bool starting_ = false;
  MHD_Daemon* daemon_ = nullptr;
  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer timeout_;
  QTimer keepAlive_;
  QTimer runSoon_;
  std::vector<Stream*> streams_;
};
