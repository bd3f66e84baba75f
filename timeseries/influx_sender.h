#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "archive/station_archive.h"
#include "timeseries/influx_target.h"

// Writes a station's archived records to an InfluxDB-compatible server, from a thread of its own
// (libcurl blocks) with its own read-only connection to the archive, so capture never waits for
// it. It reads the records after the last one the server acknowledged, oldest first, at most
// kMostLines a request, and nothing is dropped: a batch the server did not acknowledge is sent
// again. In normal running it sends at most one request every kSpacing, however often Wake is
// called; after an outage it sends batch after batch until it has caught up.
//
// A server that cannot be reached, or answers 5xx or 429, is tried again after kFirstRetry,
// doubling up to kLongestRetry. Any other 4xx (a bad token, a missing database, points it
// rejects) will not change by retrying: it is said once and tried again every kRefusedRetry.
//
// After each acknowledged batch, delivered gets the key of its last record (on the sender's
// thread); the owner stores it as the target's mark. A batch acknowledged but not yet marked when
// the program dies is sent again after a restart: the server keeps one point per series and
// second, so it writes the same points over themselves.
class HttpClient;

class InfluxSender {
 public:
  using Say = std::function<void(const std::string&)>;
  using Delivered = std::function<void(RecordKey)>;

  static constexpr std::size_t kMostLines = 5000;
  static constexpr std::chrono::milliseconds kSpacing{3000};
  static constexpr std::chrono::milliseconds kFirstRetry{1000};
  static constexpr std::chrono::milliseconds kLongestRetry{60000};
  static constexpr std::chrono::milliseconds kRefusedRetry{300000};
  // On Stop, a reachable server gets what is left for at most this long.
  static constexpr std::chrono::milliseconds kLastSendLimit{5000};
  // Catch-up progress is said at most this often.
  static constexpr std::chrono::seconds kProgressEvery{10};

  // Sends the station's records after from. archive is the file the logger writes.
  InfluxSender(InfluxTarget target, std::filesystem::path archive, std::int32_t station,
               std::string stationName, RecordKey from, Say say, Delivered delivered);
  ~InfluxSender();  // Stop()
  InfluxSender(const InfluxSender&) = delete;
  InfluxSender& operator=(const InfluxSender&) = delete;

  void Start();
  // New records are in the archive.
  void Wake();
  // Sends what is left while the server answers (up to kLastSendLimit), then ends the thread.
  void Stop();

  // The last acknowledged key; after Stop, what the owner stores as the final mark.
  RecordKey LastDelivered() const;
  const InfluxTarget& Target() const { return target_; }

 private:
  enum class Outcome { Sent, Failed, Refused };

  void Run();
  // Reads the next batch and sends it; false when nothing was waiting.
  bool SendBatch(HttpClient& client, StationArchive& archive, Outcome& outcome, bool& full);
  void Tell(Outcome outcome, const std::string& reason, bool full, StationArchive& archive,
            RecordKey sent);

  const InfluxTarget target_;
  const std::filesystem::path archiveFile_;
  const std::int32_t station_;
  const std::string stationTag_;
  const Say say_;
  const Delivered delivered_;

  std::thread thread_;
  mutable std::mutex lock_;
  std::condition_variable changed_;
  bool woken_ = true;  // records may be waiting: look at start
  bool stopping_ = false;
  std::chrono::steady_clock::time_point stopDeadline_;
  RecordKey deliveredKey_;
  // The thread's own.
  enum class State { Starting, Reached, Lost, Refused };
  State state_ = State::Starting;  // what was said last
  bool reachable_ = false;         // the last request was answered with 2xx
  bool catchingUp_ = false;
  std::chrono::steady_clock::time_point lastProgress_;
};
