#include "timeseries/influx_sender.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "archive/archive_error.h"
#include "timeseries/http_client.h"
#include "timeseries/line_protocol.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

// A line is about 230 bytes.
constexpr std::size_t kLineBytes = 256;

}  // namespace

InfluxSender::InfluxSender(InfluxTarget target, std::filesystem::path archive, std::int32_t station,
                           std::string stationName, RecordKey from, Say say, Delivered delivered)
    : target_(std::move(target)),
      archiveFile_(std::move(archive)),
      station_(station),
      stationTag_(EscapeTagValue(stationName)),
      say_(std::move(say)),
      delivered_(std::move(delivered)),
      deliveredKey_(from) {}

InfluxSender::~InfluxSender() { Stop(); }

void InfluxSender::Start() { thread_ = std::thread(&InfluxSender::Run, this); }

void InfluxSender::Wake() {
  {
    const std::lock_guard lock(lock_);
    woken_ = true;
  }
  changed_.notify_one();
}

void InfluxSender::Stop() {
  if (!thread_.joinable()) return;
  {
    const std::lock_guard lock(lock_);
    stopping_ = true;
    stopDeadline_ = SteadyClock::now() + kLastSendLimit;
  }
  changed_.notify_one();
  thread_.join();
}

RecordKey InfluxSender::LastDelivered() const {
  const std::lock_guard lock(lock_);
  return deliveredKey_;
}

void InfluxSender::Run() {
  HttpClient client(target_);
  std::unique_ptr<StationArchive> archive;
  std::chrono::milliseconds retry = kFirstRetry;
  SteadyClock::time_point due = SteadyClock::now();  // no request before this
  bool backlog = true;  // records may wait without a Wake: after a failure, within a catch-up
  for (;;) {
    bool last = false;  // stopping: what is left goes now, while the server answers
    {
      std::unique_lock lock(lock_);
      while (!stopping_) {
        const bool wanted = woken_ || backlog;
        if (wanted && SteadyClock::now() >= due) break;
        if (wanted) {
          changed_.wait_until(lock, due);
        } else {
          changed_.wait(lock);
        }
      }
      if (stopping_) {
        if (!reachable_ || SteadyClock::now() >= stopDeadline_) return;
        last = true;
      }
      woken_ = false;
    }
    Outcome outcome = Outcome::Failed;
    bool full = false;
    try {
      if (!archive)
        archive = std::make_unique<StationArchive>(archiveFile_, StationArchive::Access::Read);
      if (!SendBatch(client, *archive, outcome, full)) {
        backlog = false;
        if (last) return;
        continue;
      }
    } catch (const ArchiveError& error) {
      // The archive went away under us (a disk error): read it anew after the back-off.
      archive.reset();
      say_("cannot read the archive to write to InfluxDB: " + std::string(error.what()));
      state_ = State::Starting;
      outcome = Outcome::Failed;
    }
    const SteadyClock::time_point now = SteadyClock::now();
    switch (outcome) {
      case Outcome::Sent:
        retry = kFirstRetry;
        backlog = full;
        due = full ? now : now + kSpacing;
        break;
      case Outcome::Failed:
        backlog = true;
        due = now + retry;
        retry = std::min(retry * 2, kLongestRetry);
        break;
      case Outcome::Refused:
        backlog = true;
        due = now + kRefusedRetry;
        retry = kFirstRetry;
        break;
    }
    if (last && outcome != Outcome::Sent) return;
  }
}

bool InfluxSender::SendBatch(HttpClient& client, StationArchive& archive, Outcome& outcome,
                             bool& full) {
  const RecordKey after = LastDelivered();
  const std::vector<StoredRecord> records = archive.RecordsAfter(station_, after, kMostLines);
  if (records.empty()) return false;
  full = records.size() == kMostLines;
  std::string body;
  body.reserve(records.size() * kLineBytes);
  for (const StoredRecord& record : records) AppendLineProtocol(body, stationTag_, record);

  const HttpClient::Answer answer = client.Post(body, [this] {
    const std::lock_guard lock(lock_);
    return stopping_ && (!reachable_ || SteadyClock::now() >= stopDeadline_);
  });
  std::string reason = answer.error;
  if (answer.status >= 200 && answer.status < 300) {
    outcome = Outcome::Sent;
    const RecordKey sent{records.back().time, records.back().seq};
    {
      const std::lock_guard lock(lock_);
      deliveredKey_ = sent;
    }
    delivered_(sent);
  } else if (answer.status == 0 || answer.status == 429 || answer.status >= 500) {
    outcome = Outcome::Failed;
    if (answer.status != 0) {
      reason = "HTTP " + std::to_string(answer.status) + (reason.empty() ? "" : ": " + reason);
    }
  } else {
    outcome = Outcome::Refused;
    reason = "HTTP " + std::to_string(answer.status) + (reason.empty() ? "" : ": " + reason);
  }
  Tell(outcome, reason, full, archive, LastDelivered());
  return true;
}

void InfluxSender::Tell(Outcome outcome, const std::string& reason, bool full,
                        StationArchive& archive, RecordKey sent) {
  const std::string where = "InfluxDB at " + target_.shownUrl;
  switch (outcome) {
    case Outcome::Sent: {
      reachable_ = true;
      const SteadyClock::time_point now = SteadyClock::now();
      if (state_ != State::Reached || (full && now - lastProgress_ >= kProgressEvery)) {
        const std::int64_t waiting = full ? archive.CountRecordsAfter(station_, sent) : 0;
        if (state_ != State::Reached) {
          say_("writing to " + where);
          state_ = State::Reached;
        }
        if (waiting > 0) {
          say_("catching up with " + where + ": " + std::to_string(waiting) + " records waiting");
          catchingUp_ = true;
          lastProgress_ = now;
        }
      }
      if (!full && catchingUp_) {
        say_("caught up with " + where);
        catchingUp_ = false;
      }
      break;
    }
    case Outcome::Failed:
      reachable_ = false;
      if (state_ != State::Lost) {
        say_("cannot write to " + where + " (" + reason +
             "); records wait in the archive, trying again");
        state_ = State::Lost;
      }
      break;
    case Outcome::Refused:
      reachable_ = false;
      if (state_ != State::Refused) {
        say_(where + " refused the records (" + reason + "); trying again every " +
             std::to_string(
                 std::chrono::duration_cast<std::chrono::minutes>(kRefusedRetry).count()) +
             " minutes");
        state_ = State::Refused;
      }
      break;
  }
}
