#include "web/web_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>

#include <QSocketNotifier>
#include <algorithm>
#include <climits>

namespace {

constexpr char kEventsPath[] = "/api/events";

void AddCommonHeaders(MHD_Response* response, bool live) {
  MHD_add_response_header(response, "Content-Security-Policy", "default-src 'self'");
  MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
  MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
  MHD_add_response_header(response, "Cache-Control", live ? "no-store" : "no-cache");
}

MHD_Result Queue(MHD_Connection* connection, const WebResponse& answer) {
  MHD_Response* response = MHD_create_response_from_buffer(
      static_cast<std::size_t>(answer.body.size()), const_cast<char*>(answer.body.constData()),
      MHD_RESPMEM_MUST_COPY);
  if (response == nullptr) return MHD_NO;
  AddCommonHeaders(response, answer.live);
  MHD_add_response_header(response, "Content-Type", answer.contentType.constData());
  if (!answer.vary.isEmpty()) MHD_add_response_header(response, "Vary", answer.vary.constData());
  if (answer.status == MHD_HTTP_METHOD_NOT_ALLOWED) {
    MHD_add_response_header(response, "Allow", "GET, HEAD");
  }
  const MHD_Result queued =
      MHD_queue_response(connection, static_cast<unsigned>(answer.status), response);
  MHD_destroy_response(response);
  return queued;
}

struct Arguments {
  QueryParameters values;
  std::string repeated;  // a name given more than once
};

MHD_Result TakeArgument(void* cls, MHD_ValueKind, const char* key, const char* value) {
  auto* arguments = static_cast<Arguments*>(cls);
  if (!arguments->values.emplace(key, value != nullptr ? value : "").second) {
    arguments->repeated = key;
  }
  return MHD_YES;
}

}  // namespace

struct WebServer::Stream {
  WebServer* server;
  MHD_Connection* connection;
  QByteArray waiting;
  bool suspended = false;
  bool dropped = false;  // the client did not read; closed at the next chance
};

struct WebServer::Callbacks {
  static MHD_Result Access(void* cls, MHD_Connection* connection, const char* url,
                           const char* method, const char*, const char*, std::size_t*,
                           void** request) {
    // The first call comes with the headers only. A request we refuse is answered at once,
    // before its body, and its connection closed; one we answer waits for the second call,
    // since an answer queued on the first makes libmicrohttpd close the connection after it
    // and a browser would then open a new one for every file.
    static char headersRead;
    if (*request == nullptr) {
      *request = &headersRead;
      const std::string_view verb(method);
      if (verb != MHD_HTTP_METHOD_GET && verb != MHD_HTTP_METHOD_HEAD) {
        return Queue(connection, ErrorResponse(MHD_HTTP_METHOD_NOT_ALLOWED,
                                               QStringLiteral("Only GET and HEAD are answered.")));
      }
      if (HasBody(connection)) {
        return Queue(connection, ErrorResponse(MHD_HTTP_BAD_REQUEST,
                                               QStringLiteral("A GET or HEAD has no body.")));
      }
      return MHD_YES;
    }
    return Answer(*static_cast<WebServer*>(cls), connection, url);
  }

  static bool HasBody(MHD_Connection* connection) {
    const char* length =
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
    return MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                       MHD_HTTP_HEADER_TRANSFER_ENCODING) != nullptr ||
           (length != nullptr && std::string_view(length) != "0");
  }

  static MHD_Result Answer(WebServer& server, MHD_Connection* connection, const char* url) {
    Arguments arguments;
    MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, &TakeArgument, &arguments);
    if (!arguments.repeated.empty()) {
      return Queue(connection, ErrorResponse(MHD_HTTP_BAD_REQUEST,
                                             QStringLiteral("Parameter '%1' is given twice.")
                                                 .arg(QString::fromStdString(arguments.repeated))));
    }
    const QByteArray path(url);
    if (path == kEventsPath) return OpenStream(server, connection);
    const char* language =
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Accept-Language");
    return Queue(connection,
                 server.handler_(path, arguments.values, language != nullptr ? language : ""));
  }

  static MHD_Result OpenStream(WebServer& server, MHD_Connection* connection) {
    if (server.streams_.size() >= server.limits_.streams) {
      return Queue(connection,
                   ErrorResponse(MHD_HTTP_SERVICE_UNAVAILABLE,
                                 QStringLiteral("Too many event streams are open (%1); try again "
                                                "later.")
                                     .arg(server.limits_.streams)));
    }
    auto* stream = new Stream{&server, connection, "retry: 5000\n\n"};
    MHD_Response* response =
        MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 4096, &Read, stream, &Free);
    if (response == nullptr) {
      delete stream;
      return MHD_NO;
    }
    server.streams_.push_back(stream);
    AddCommonHeaders(response, true);
    MHD_add_response_header(response, "Content-Type", "text/event-stream; charset=utf-8");
    const MHD_Result queued = MHD_queue_response(connection, MHD_HTTP_OK, response);
    MHD_destroy_response(response);
    return queued;
  }

  static ssize_t Read(void* cls, std::uint64_t, char* buffer, std::size_t max) {
    auto* stream = static_cast<Stream*>(cls);
    if (stream->dropped) return MHD_CONTENT_READER_END_WITH_ERROR;
    if (stream->waiting.isEmpty()) {
      // Woken by the next event or keep-alive; a suspended connection does not time out.
      MHD_suspend_connection(stream->connection);
      stream->suspended = true;
      return 0;
    }
    const auto size = std::min(max, static_cast<std::size_t>(stream->waiting.size()));
    std::copy_n(stream->waiting.constData(), size, buffer);
    stream->waiting.remove(0, static_cast<qsizetype>(size));
    return static_cast<ssize_t>(size);
  }

  static void Free(void* cls) {
    auto* stream = static_cast<Stream*>(cls);
    std::erase(stream->server->streams_, stream);
    delete stream;
  }
};

WebServer::WebServer(HttpAddress address, Handler handler, Limits limits)
    : address_(std::move(address)), handler_(std::move(handler)), limits_(limits) {
  timeout_.setSingleShot(true);
  connect(&timeout_, &QTimer::timeout, this, [this] { Run(); });
  runSoon_.setSingleShot(true);
  runSoon_.setInterval(0);
  connect(&runSoon_, &QTimer::timeout, this, [this] { Run(); });
  keepAlive_.setInterval(limits_.keepAlive);
  connect(&keepAlive_, &QTimer::timeout, this, [this] { Send(": keep-alive\n\n"); });
}

WebServer::~WebServer() { Stop(); }

bool WebServer::Start(std::string& error) {
  sockaddr_in v4{};
  sockaddr_in6 v6{};
  const sockaddr* bind = nullptr;
  if (address_.ipv6) {
    v6.sin6_family = AF_INET6;
    v6.sin6_port = htons(static_cast<std::uint16_t>(address_.port));
    inet_pton(AF_INET6, address_.host.c_str(), &v6.sin6_addr);
    bind = reinterpret_cast<const sockaddr*>(&v6);
  } else {
    v4.sin_family = AF_INET;
    v4.sin_port = htons(static_cast<std::uint16_t>(address_.port));
    inet_pton(AF_INET, address_.host.c_str(), &v4.sin_addr);
    bind = reinterpret_cast<const sockaddr*>(&v4);
  }
  unsigned flags = MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME;
  if (address_.ipv6) flags |= MHD_USE_IPv6;
  daemon_ = MHD_start_daemon(
      flags, static_cast<std::uint16_t>(address_.port), nullptr, nullptr, &Callbacks::Access, this,
      MHD_OPTION_SOCK_ADDR, bind, MHD_OPTION_CONNECTION_LIMIT, limits_.connections,
      MHD_OPTION_PER_IP_CONNECTION_LIMIT, limits_.perAddress, MHD_OPTION_CONNECTION_TIMEOUT,
      limits_.timeoutSeconds, MHD_OPTION_CONNECTION_MEMORY_LIMIT, limits_.requestMemory,
      MHD_OPTION_END);
  if (daemon_ == nullptr) {
    const std::string host = address_.ipv6 ? "[" + address_.host + "]" : address_.host;
    error = "cannot listen on " + host + ":" + std::to_string(address_.port) +
            " (in use, or not an address of this computer)";
    return false;
  }
  const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_EPOLL_FD);
  notifier_ = std::make_unique<QSocketNotifier>(info->epoll_fd, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Run(); });
  keepAlive_.start();
  Run();
  return true;
}

void WebServer::Stop() {
  if (daemon_ == nullptr) return;
  keepAlive_.stop();
  timeout_.stop();
  runSoon_.stop();
  notifier_.reset();
  // libmicrohttpd may not stop with suspended connections.
  for (Stream* stream : streams_) {
    stream->dropped = true;
    if (stream->suspended) MHD_resume_connection(stream->connection);
    stream->suspended = false;
  }
  MHD_stop_daemon(daemon_);
  daemon_ = nullptr;
}

int WebServer::Port() const {
  if (daemon_ == nullptr) return 0;
  return MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT)->port;
}

std::size_t WebServer::Waiting() const {
  std::size_t bytes = 0;
  for (const Stream* stream : streams_) bytes += static_cast<std::size_t>(stream->waiting.size());
  return bytes;
}

void WebServer::Broadcast(const QByteArray& name, const QByteArray& data) {
  Send("event: " + name + "\ndata: " + data + "\n\n");
}

void WebServer::Send(const QByteArray& text) {
  if (daemon_ == nullptr || streams_.empty()) return;
  for (Stream* stream : streams_) {
    if (stream->dropped) continue;
    if (static_cast<std::size_t>(stream->waiting.size() + text.size()) > limits_.streamBuffer) {
      stream->dropped = true;
      stream->waiting.clear();
    } else {
      stream->waiting += text;
    }
    if (stream->suspended) {
      MHD_resume_connection(stream->connection);
      stream->suspended = false;
    }
  }
  runSoon_.start();
}

void WebServer::Run() {
  if (daemon_ == nullptr) return;
  MHD_run(daemon_);
  MHD_UNSIGNED_LONG_LONG wait = 0;
  if (MHD_get_timeout(daemon_, &wait) == MHD_YES) {
    timeout_.start(static_cast<int>(std::min<MHD_UNSIGNED_LONG_LONG>(wait, INT_MAX)));
  } else {
    timeout_.stop();
  }
}
