#include "web/web_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <strings.h>

#include <QCryptographicHash>
#include <QSocketNotifier>
#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kEventsPath[] = "/api/events";
// RFC 7617: the browser is to send the user name and password as UTF-8.
constexpr char kChallenge[] = "Basic realm=\"kelvra-anemometer\", charset=\"UTF-8\"";

QByteArray Digest(std::string_view text) {
  return QCryptographicHash::hash(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())),
                                  QCryptographicHash::Sha256);
}

// Equal digests, in a time that does not depend on where they differ; comparing digests
// rather than the texts hides the length too.
bool SameDigest(const QByteArray& a, const QByteArray& b) {
  if (a.size() != b.size()) return false;
  unsigned char difference = 0;
  for (qsizetype i = 0; i < a.size(); ++i) {
    difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  }
  return difference == 0;
}

// Wiped before it goes back, so that a password does not linger in freed memory.
void FreeSecret(char* text) {
  if (text == nullptr) return;
  ::explicit_bzero(text, std::strlen(text));
  MHD_free(text);
}

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
  if (answer.status == MHD_HTTP_UNAUTHORIZED) {
    MHD_add_response_header(response, MHD_HTTP_HEADER_WWW_AUTHENTICATE, kChallenge);
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
      auto& server = *static_cast<WebServer*>(cls);
      // Before anything else, so that nothing tells a stranger what is there.
      if (!server.Authorized(connection)) {
        return Queue(connection,
                     ErrorResponse(MHD_HTTP_UNAUTHORIZED,
                                   QStringLiteral("This server needs a user name and password.")));
      }
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

  // At its connection limit MHD takes the listening socket out of its epoll set and puts it
  // back only at the start of its next run: without one soon after a connection closes, the
  // epoll descriptor never wakes for a new client and the server stays deaf.
  static void Notify(void* cls, MHD_Connection*, void**, MHD_ConnectionNotificationCode code) {
    if (code == MHD_CONNECTION_NOTIFY_CLOSED) static_cast<WebServer*>(cls)->runSoon_.start();
  }

  // MHD's own messages, printf formats.
  [[gnu::format(printf, 2, 0)]] static void Log(void* cls, const char* format, va_list arguments) {
    auto& server = *static_cast<WebServer*>(cls);
    if (!server.starting_) return;  // a failing client is no news for the logger's output
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    std::string line(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == '.')) line.pop_back();
    server.startErrors_ += (server.startErrors_.empty() ? "" : "; ") + line;
  }

  static void Free(void* cls) {
    auto* stream = static_cast<Stream*>(cls);
    std::erase(stream->server->streams_, stream);
    delete stream;
  }
};

WebServer::WebServer(HttpAddress address, Handler handler, Limits limits, Security security)
    : address_(std::move(address)),
      handler_(std::move(handler)),
      limits_(limits),
      tlsCertificate_(std::move(security.certificate)),
      tlsKey_(std::move(security.key)) {
  if (!security.user.empty()) {
    userDigest_ = Digest(security.user);
    passwordDigest_ = Digest(security.password);
  }
  ::explicit_bzero(security.password.data(), security.password.size());
  timeout_.setSingleShot(true);
  connect(&timeout_, &QTimer::timeout, this, [this] { Run(); });
  runSoon_.setSingleShot(true);
  runSoon_.setInterval(0);
  connect(&runSoon_, &QTimer::timeout, this, [this] { Run(); });
  keepAlive_.setInterval(limits_.keepAlive);
  connect(&keepAlive_, &QTimer::timeout, this, [this] { Send(": keep-alive\n\n"); });
}

WebServer::~WebServer() {
  Stop();
  ::explicit_bzero(tlsKey_.data(), tlsKey_.size());
}

bool WebServer::Authorized(MHD_Connection* connection) const {
  if (userDigest_.isEmpty()) return true;
  char* password = nullptr;
  char* user = MHD_basic_auth_get_username_password(connection, &password);
  // Both compared whatever the first gives, so that the time tells nothing of the user name.
  const bool sameUser = SameDigest(Digest(user != nullptr ? user : ""), userDigest_);
  const bool samePassword =
      SameDigest(Digest(password != nullptr ? password : ""), passwordDigest_);
  const bool given = user != nullptr && password != nullptr;
  FreeSecret(user);
  FreeSecret(password);
  return given && sameUser && samePassword;
}

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
  unsigned flags = MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME | MHD_USE_ERROR_LOG;
  if (address_.ipv6) flags |= MHD_USE_IPv6;
  // The logger first, so that MHD says nothing on its own.
  std::vector<MHD_OptionItem> options = {
      {MHD_OPTION_EXTERNAL_LOGGER, reinterpret_cast<intptr_t>(&Callbacks::Log), this},
      {MHD_OPTION_SOCK_ADDR, 0, const_cast<sockaddr*>(bind)},
      {MHD_OPTION_CONNECTION_LIMIT, limits_.connections, nullptr},
      {MHD_OPTION_PER_IP_CONNECTION_LIMIT, limits_.perAddress, nullptr},
      {MHD_OPTION_CONNECTION_TIMEOUT, limits_.timeoutSeconds, nullptr},
      {MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<intptr_t>(limits_.requestMemory), nullptr},
      {MHD_OPTION_NOTIFY_CONNECTION, reinterpret_cast<intptr_t>(&Callbacks::Notify), this},
  };
  if (Tls()) {
    if (MHD_is_feature_supported(MHD_FEATURE_TLS) != MHD_YES) {
      error = "this libmicrohttpd was built without TLS: --http-cert cannot be used";
      return false;
    }
    flags |= MHD_USE_TLS;
    options.push_back({MHD_OPTION_HTTPS_MEM_CERT, 0, tlsCertificate_.data()});
    options.push_back({MHD_OPTION_HTTPS_MEM_KEY, 0, tlsKey_.data()});
  }
  options.push_back({MHD_OPTION_END, 0, nullptr});
  startErrors_.clear();
  starting_ = true;
  daemon_ =
      MHD_start_daemon(flags, static_cast<std::uint16_t>(address_.port), nullptr, nullptr,
                       &Callbacks::Access, this, MHD_OPTION_ARRAY, options.data(), MHD_OPTION_END);
  starting_ = false;
  if (daemon_ == nullptr) {
    const std::string host = address_.ipv6 ? "[" + address_.host + "]" : address_.host;
    error = "cannot serve on " + host + ":" + std::to_string(address_.port) + ": " +
            (startErrors_.empty() ? "in use, or not an address of this computer" : startErrors_);
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
