// The logger's web server, each figure against its baseline in the same run:
// - BM_ReportWithStreams/0 and /200: the logger's own work for one report (decoding, the CSV log,
//   the archive, the live station and its event), with no event-stream client and with 200 that
//   read everything. The time is the processor time of the logger's thread alone: the consumers
//   and the server's runs that push the event out, until every client has it. The clients are
//   read by a thread of their own. Target: 200 clients at most 2 times none.
// - BM_HistoryOverHttp: /api/history for a year by the day, asked of the server over HTTP
//   (libcurl, one kept-alive connection; the server on a thread of its own with its event loop),
//   in turn with the archive's day summaries of the same range read directly on this thread, so
//   that both see the same load. BM_HistoryQuery and BM_HistoryAnswer (the answer built without
//   HTTP) tell where a difference lies. Target: over HTTP at most 1.5 times the query.
// The ratios are of the medians with --benchmark_repetitions. The archives are on the real disk
// (BENCH_ARCHIVE_DIR, default /var/tmp), removed at the end.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "archive/station_archive.h"
#include "archive_tool/time_arguments.h"
#include "bench/bench_folder.h"
#include "bench/bench_records.h"
#include "core/measurement_core.h"
#include "logger/headless_logger.h"
#include "logger/status_lines.h"
#include "tests/support/fake_hid_transport.h"
#include "tests/support/fixed_clock.h"
#include "web/archive_api.h"
#include "web/live_station.h"
#include "web/web_routes.h"
#include "web/web_server.h"

namespace {

BenchFolder& Folder() {
  static BenchFolder folder("bench-web");
  return folder;
}

// Mean seconds per iteration of each run of each benchmark (more with repetitions), for the
// ratios of their medians printed at the end. The iterations are fixed, so that no run is one
// of Google Benchmark's trials for their number.
std::map<std::string, std::vector<double>>& Seconds() {
  static std::map<std::string, std::vector<double>> seconds;
  return seconds;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double ThreadSeconds(clockid_t clock = CLOCK_THREAD_CPUTIME_ID) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "bench_web: %s\n", why.c_str());
  std::abort();
}

// Event-stream clients on raw sockets, read by a thread of their own that counts the record
// events they got, all clients together.
class StreamClients {
 public:
  StreamClients(int port, int count) : epoll_(epoll_create1(0)) {
    for (int i = 0; i < count; ++i) {
      const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_port = htons(static_cast<std::uint16_t>(port));
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
      clients_.push_back({fd, {}});
    }
    reader_ = std::thread([this] { Read(); });
  }
  ~StreamClients() {
    stop_ = true;
    reader_.join();
    for (const Client& client : clients_) close(client.fd);
    close(epoll_);
  }

  // Sends each client's request once its connection is up (the server, on the caller's
  // thread, accepts while the caller waits).
  void Request() {
    for (std::size_t i = 0; i < clients_.size(); ++i) {
      epoll_event event{};
      event.events = EPOLLIN;
      event.data.u64 = i;
      epoll_ctl(epoll_, EPOLL_CTL_ADD, clients_[i].fd, &event);
    }
    for (Client& client : clients_) {
      constexpr std::string_view kRequest =
          "GET /api/events HTTP/1.1\r\nHost: bench\r\nAccept: text/event-stream\r\n\r\n";
      const auto sent = WaitFor([&] {
        return send(client.fd, kRequest.data(), kRequest.size(), MSG_NOSIGNAL) ==
               ssize_t(kRequest.size());
      });
      if (!sent) Fail("an event-stream client cannot send its request");
    }
  }

  // Record events received by all clients together.
  long Events() const { return events_; }
  // Wakes the caller's event loop once Events() reaches expected.
  void WakeAt(long expected) {
    expected_ = expected;
    if (events_ >= expected) Wake();
  }

  template <typename Condition>
  static bool WaitFor(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
  }

 private:
  struct Client {
    int fd;
    std::string tail;  // the end of what came last, for an event cut in two reads
  };

  static void Wake() {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
  }

  void Read() {
    constexpr std::string_view kEvent = "event: record\n";
    epoll_event ready[64];
    char buffer[65536];
    while (!stop_) {
      const int count = epoll_wait(epoll_, ready, 64, 50);
      for (int i = 0; i < count; ++i) {
        Client& client = clients_[ready[i].data.u64];
        ssize_t got = 0;
        while ((got = recv(client.fd, buffer, sizeof buffer, 0)) > 0) {
          std::string text = client.tail + std::string(buffer, static_cast<std::size_t>(got));
          for (std::size_t at = text.find(kEvent); at != std::string::npos;
               at = text.find(kEvent, at + kEvent.size())) {
            ++events_;
          }
          const std::size_t keep = std::min(text.size(), kEvent.size() - 1);
          client.tail = text.substr(text.size() - keep);
        }
        // Closed by the server: the benchmark fails at its end, when it counts the streams.
        if (got == 0) epoll_ctl(epoll_, EPOLL_CTL_DEL, client.fd, nullptr);
      }
      if (events_ >= expected_ && expected_ > woken_) {
        woken_ = expected_.load();
        Wake();
      }
    }
  }

  int epoll_;
  std::vector<Client> clients_;
  std::thread reader_;
  std::atomic<bool> stop_ = false;
  std::atomic<long> events_ = 0;
  std::atomic<long> expected_ = 0;
  long woken_ = 0;
};

// The logger's consumers as `--http` wires them, behind a measurement core on the fake
// transport, with the web server on this thread's event loop.
struct LoggerRig {
  explicit LoggerRig(unsigned streams) {
    LoggerOptions options;
    options.logPattern = dir.filePath(QStringLiteral("wind-%Y-%m-%d.csv"));
    options.archive.keep = false;  // kept below, without looking for the device
    logger = std::make_unique<HeadlessLogger>(options, ProgramFiles(dir.path().toStdString()), hid,
                                              clock, status, nullptr);
    const std::string archive = (Folder() / "live.sqlite").string();
    if (!logger->Session().KeepArchive(archive, "roof", [](const RecordArchiver::Event&) {})) {
      Fail("cannot keep the archive " + archive);
    }
    logger->Session().AddConsumer(logger->Live());
    WebServer::Limits limits;
    limits.streams = streams;
    limits.connections = streams + 10;
    limits.perAddress = streams + 10;
    server.emplace(
        HttpAddress{"127.0.0.1", 0, false},
        [](const QByteArray&, const QueryParameters&, std::string_view) {
          return JsonResponse(QJsonObject{});
        },
        limits);
    std::string error;
    if (!server->Start(error)) Fail(error);
    logger->Live().SetListener([this](const QJsonObject& current) {
      server->Broadcast("record", QJsonDocument(current).toJson(QJsonDocument::Compact));
    });
  }
  ~LoggerRig() {
    logger->Live().SetListener({});
    server->Stop();
  }

  QTemporaryDir dir;
  FakeHidTransport hid;
  FixedClock clock{{2026, 12, 1, 7, 11, 45, 3, 0}};
  std::FILE* quiet = std::fopen("/dev/null", "w");
  StatusLines status{quiet};
  std::unique_ptr<HeadlessLogger> logger;
  std::optional<WebServer> server;
};

void BM_ReportWithStreams(benchmark::State& state) {
  const int clients = static_cast<int>(state.range(0));
  LoggerRig rig(static_cast<unsigned>(std::max(clients, 1)));
  std::optional<StreamClients> streams;
  if (clients > 0) {
    streams.emplace(rig.server->Port(), clients);
    streams->Request();
    if (!StreamClients::WaitFor([&] { return rig.server->Streams() == std::size_t(clients); })) {
      Fail("the event-stream clients did not all connect");
    }
  }
  std::vector<Packet> reports;
  for (std::uint32_t i = 1; i <= 10'000; ++i) reports.push_back(FakeHidTransport::MakeReport(i));
  std::size_t next = 0;
  const auto report = [&] {
    rig.logger->Session().Core().DecodePacket(reports[next++ % reports.size()], {});
    if (streams) {
      // One event per record; the first report only sets the counter.
      const long expected = clients * static_cast<long>(rig.logger->Live().Records());
      streams->WakeAt(expected);
      while (streams->Events() < expected) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
      }
    } else {
      QCoreApplication::processEvents();
    }
  };
  // The first reports open the day's log and fill the archive's caches: not the steady work.
  for (int i = 0; i < 200; ++i) report();
  double total = 0;
  for (auto _ : state) {
    const double start = ThreadSeconds();
    report();
    const double took = ThreadSeconds() - start;
    total += took;
    state.SetIterationTime(took);
  }
  if (rig.server->Streams() != std::size_t(clients)) Fail("an event-stream client was dropped");
  Seconds()["report with " + std::to_string(clients) + " streams"].push_back(
      total / static_cast<double>(state.iterations()));
  state.counters["records"] = static_cast<double>(rig.logger->Live().Records());
}
BENCHMARK(BM_ReportWithStreams)
    ->Arg(0)
    ->Arg(200)
    ->UseManualTime()
    ->Iterations(1000)
    ->Unit(benchmark::kMicrosecond);

constexpr std::int64_t kYearStart = 1735689600;  // 2025-01-01 00:00 UTC
constexpr std::int64_t kStep = 600;
constexpr const char* kHistoryPath = "/api/history?from=2025-01-01&to=2025-12-31&step=day";

// A year of records every 10 minutes, built once per run.
const std::filesystem::path& YearArchive() {
  static const std::filesystem::path file = [] {
    const auto path = Folder() / "year.sqlite";
    StationArchive archive(path, StationArchive::Access::Write);
    const std::int32_t station = archive.Station("roof");
    archive.BeginImport();
    for (std::int64_t time = kYearStart; time < kYearStart + 365 * 86400; time += kStep) {
      StoredRecord r = SampleRecord(time, 600);
      archive.Import(station, r);
    }
    archive.CommitImport();
    return path;
  }();
  return file;
}

// Records the wall time and this thread's processor time per iteration under name.
template <typename Body>
void Timed(benchmark::State& state, const std::string& name, Body body) {
  const auto start = std::chrono::steady_clock::now();
  const double processor = ThreadSeconds();
  for (auto _ : state) body();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  const auto iterations = static_cast<double>(state.iterations());
  Seconds()[name + " wall"].push_back(took.count() / iterations);
  Seconds()[name + " processor"].push_back((ThreadSeconds() - processor) / iterations);
}

void BM_HistoryQuery(benchmark::State& state) {
  StationArchive archive(YearArchive(), StationArchive::Access::Read);
  const std::int32_t station = *archive.FindStation("roof");
  const std::int64_t from = *LocalSecondsFromIso("2025-01-01", false);
  const std::int64_t to = *LocalSecondsFromIso("2025-12-31", true);
  std::size_t days = 0;
  Timed(state, "history query", [&] {
    const std::vector<PeriodSummary> summaries =
        archive.Summaries(station, Resolution::Day, from, to);
    days = summaries.size();
    benchmark::DoNotOptimize(summaries.data());
  });
  state.counters["days"] = static_cast<double>(days);
}
BENCHMARK(BM_HistoryQuery)->Iterations(500)->Unit(benchmark::kMicrosecond);

void BM_HistoryAnswer(benchmark::State& state) {
  StationArchive archive(YearArchive(), StationArchive::Access::Read);
  const QueryParameters query{{"from", "2025-01-01"}, {"to", "2025-12-31"}, {"step", "day"}};
  std::size_t bytes = 0;
  Timed(state, "history answer", [&] {
    ArchiveApi api{archive, "roof", kYearStart};
    const WebResponse answer = api.History(query);
    bytes = static_cast<std::size_t>(answer.body.size());
    benchmark::DoNotOptimize(answer.body.data());
  });
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_HistoryAnswer)->Iterations(500)->Unit(benchmark::kMicrosecond);

// The web server as the logger runs it, with its routes on the year's archive, on a thread of its
// own so that this thread can be the client.
class ServerThread {
 public:
  ServerThread() {
    context_.moveToThread(&thread_);
    thread_.start();
    QMetaObject::invokeMethod(
        &context_,
        [this] {
          archive_.emplace(YearArchive(), StationArchive::Access::Read);
          live_.emplace([] { return StationHealth{}; });
          routes_.emplace(
              *live_, [this] { return &*archive_; }, "roof");
          server_.emplace(
              HttpAddress{"127.0.0.1", 0, false},
              [this](const QByteArray& path, const QueryParameters& query,
                     std::string_view language) { return routes_->Answer(path, query, language); });
          std::string error;
          if (!server_->Start(error)) Fail(error);
          port_ = server_->Port();
          pthread_getcpuclockid(pthread_self(), &clock_);
        },
        Qt::BlockingQueuedConnection);
  }
  ~ServerThread() {
    QMetaObject::invokeMethod(
        &context_,
        [this] {
          server_.reset();
          routes_.reset();
          live_.reset();
          archive_.reset();
        },
        Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
  }
  int Port() const { return port_; }
  // The server thread's processor time.
  clockid_t Clock() const { return clock_; }

 private:
  QThread thread_;
  QObject context_;
  std::optional<StationArchive> archive_;
  std::optional<LiveStation> live_;
  std::optional<WebRoutes> routes_;
  std::optional<WebServer> server_;
  int port_ = 0;
  clockid_t clock_ = CLOCK_THREAD_CPUTIME_ID;
};

void BM_HistoryOverHttp(benchmark::State& state) {
  ServerThread server;
  CURL* curl = curl_easy_init();
  const std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + kHistoryPath;
  std::string body;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(
      curl, CURLOPT_WRITEFUNCTION, +[](char* data, size_t size, size_t count, void* out) {
        static_cast<std::string*>(out)->append(data, size * count);
        return size * count;
      });
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  const auto get = [&] {
    body.clear();
    long status = 0;
    if (curl_easy_perform(curl) != CURLE_OK) Fail("no answer from " + url);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) Fail(url + " answered " + std::to_string(status) + ": " + body);
  };
  get();
  const auto points = QJsonDocument::fromJson(QByteArray::fromStdString(body))["points"];
  if (points.toArray().size() != 365) Fail("the year's history does not have 365 days: " + body);
  // The query on this thread in turn with each request, so that both see the same load.
  StationArchive archive(YearArchive(), StationArchive::Access::Read);
  const std::int32_t station = *archive.FindStation("roof");
  const std::int64_t from = *LocalSecondsFromIso("2025-01-01", false);
  const std::int64_t to = *LocalSecondsFromIso("2025-12-31", true);
  using Clock = std::chrono::steady_clock;
  double queryWall = 0, queryProcessor = 0, httpWall = 0, serverProcessor = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    const double processor = ThreadSeconds();
    benchmark::DoNotOptimize(archive.Summaries(station, Resolution::Day, from, to).data());
    const Clock::time_point queried = Clock::now();
    queryProcessor += ThreadSeconds() - processor;
    const double serverStart = ThreadSeconds(server.Clock());
    get();
    serverProcessor += ThreadSeconds(server.Clock()) - serverStart;
    httpWall += std::chrono::duration<double>(Clock::now() - queried).count();
    queryWall += std::chrono::duration<double>(queried - start).count();
  }
  const auto iterations = static_cast<double>(state.iterations());
  Seconds()["in turn: query wall"].push_back(queryWall / iterations);
  Seconds()["in turn: query processor"].push_back(queryProcessor / iterations);
  Seconds()["in turn: over http wall"].push_back(httpWall / iterations);
  Seconds()["in turn: server processor"].push_back(serverProcessor / iterations);
  state.counters["query_us"] = queryWall / iterations * 1e6;
  state.counters["http_us"] = httpWall / iterations * 1e6;
  state.counters["bytes"] = static_cast<double>(body.size());
  curl_easy_cleanup(curl);
}
BENCHMARK(BM_HistoryOverHttp)->Iterations(500)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  curl_global_init(CURL_GLOBAL_DEFAULT);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  auto& s = Seconds();
  const auto ratio = [&](const char* what, const std::string& a, const std::string& b,
                         const char* target) {
    if (s.contains(a) && s.contains(b)) {
      std::printf("%-52s %8.2f  (%.0f / %.0f us, target %s)\n", what, Median(s[a]) / Median(s[b]),
                  Median(s[a]) * 1e6, Median(s[b]) * 1e6, target);
    }
  };
  ratio("report's work: 200 event streams / none", "report with 200 streams",
        "report with 0 streams", "<= 2");
  ratio("year of history: over HTTP / archive query, wall", "in turn: over http wall",
        "in turn: query wall", "<= 1.5");
  ratio("  server's processor time / query's", "in turn: server processor",
        "in turn: query processor", "-");
  ratio("  answer built, processor / query's", "history answer processor",
        "history query processor", "-");
  curl_global_cleanup();
  return 0;
}
