#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/record_consumer.h"

// A record consumer that remembers every call, in order, with its arguments; it also stands for
// the program's answer to a report that does not parse (InvalidPacketHandler). Consumers that
// share a journal note their calls in one list, tagged with their names.
class RecordingConsumer : public RecordConsumer {
 public:
  enum class Call { BeginReport, TakeRecord, EndReport, StopCapture };

  struct Taken {
    MeasurementRecord Record;
    RecordContext Context;
  };

  explicit RecordingConsumer(std::string name = {}, std::vector<std::string>* journal = nullptr)
      : name_(std::move(name)), journal_(journal) {}

  void BeginReport(std::int32_t rowCount) override {
    Note(Call::BeginReport, "begin");
    reportRows.push_back(rowCount);
    ++openReports;
  }
  void TakeRecord(const MeasurementRecord& record, const RecordContext& context) override {
    Note(Call::TakeRecord, "record");
    taken.push_back({record, context});
  }
  void EndReport() override {
    Note(Call::EndReport, "end");
    --openReports;
  }

  // For the core's constructor.
  std::function<void()> InvalidPacketHandler() {
    return [this] { Note(Call::StopCapture, "invalid"); };
  }

  std::size_t Count(Call call) const {
    return static_cast<std::size_t>(std::count(calls.begin(), calls.end(), call));
  }
  // The calls without the report brackets.
  std::vector<Call> RecordCalls() const {
    std::vector<Call> result;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(result),
                 [](Call call) { return call != Call::BeginReport && call != Call::EndReport; });
    return result;
  }

  void Clear() {
    calls.clear();
    taken.clear();
    reportRows.clear();
    lockHeldDuringCall = false;
  }

  // When set, every call checks from another thread that this mutex is free (a thread cannot
  // ask that of a mutex it may hold itself).
  void WatchLock(std::mutex* lock) { watchedLock_ = lock; }

  std::vector<Call> calls;
  std::vector<Taken> taken;
  std::vector<std::int32_t> reportRows;
  int openReports = 0;
  bool lockHeldDuringCall = false;

 private:
  void Note(Call call, const char* what) {
    calls.push_back(call);
    if (journal_ != nullptr) journal_->push_back(name_ + " " + what);
    if (watchedLock_) {
      bool free = false;
      std::thread probe([&] {
        if (watchedLock_->try_lock()) {
          free = true;
          watchedLock_->unlock();
        }
      });
      probe.join();
      if (!free) lockHeldDuringCall = true;
    }
  }

  std::string name_;
  std::vector<std::string>* journal_ = nullptr;
  std::mutex* watchedLock_ = nullptr;
};
