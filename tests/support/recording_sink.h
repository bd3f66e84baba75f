#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "core/measurement_sink.h"

// A MeasurementSink that remembers every call, in order, with its arguments.
class RecordingSink : public MeasurementSink {
 public:
  enum class Call { DropOldestGridRow, ShowRecord, CheckAlarms, WriteLiveLogRow, StopCapture };

  struct AlarmCheck {
    float Temperature;
    float AvgSpeed;
    float GustSpeed;
    float WindChillAvg;
  };

  struct Shown {
    MeasurementRecord Record;
    DisplayStatistics Statistics;
  };

  // Kept apart from calls: the row count of each report, and whether every report has ended.
  void BeginReportRows(std::int32_t count) override {
    reportRows.push_back(count);
    ++openReports;
  }
  void EndReportRows() override { --openReports; }

  void DropOldestGridRow() override { Note(Call::DropOldestGridRow); }

  void ShowRecord(const MeasurementRecord& record, const DisplayStatistics& statistics) override {
    Note(Call::ShowRecord);
    shown.push_back({record, statistics});
  }

  void CheckAlarms(float temperature, float avgSpeed, float gustSpeed,
                   float windChillAvg) override {
    Note(Call::CheckAlarms);
    alarmChecks.push_back({temperature, avgSpeed, gustSpeed, windChillAvg});
  }

  void WriteLiveLogRow(const MeasurementRecord& record) override {
    Note(Call::WriteLiveLogRow);
    liveLogRows.push_back(record);
  }

  void StopCaptureOnInvalidPacket() override { Note(Call::StopCapture); }

  std::size_t Count(Call call) const {
    return static_cast<std::size_t>(std::count(calls.begin(), calls.end(), call));
  }

  void Clear() {
    calls.clear();
    shown.clear();
    alarmChecks.clear();
    liveLogRows.clear();
    reportRows.clear();
    lockHeldDuringCall = false;
  }

  // When set, every call checks from another thread that this mutex is free (a thread cannot
  // ask that of a mutex it may hold itself).
  void WatchLock(std::mutex* lock) { watchedLock_ = lock; }

  std::vector<Call> calls;
  std::vector<Shown> shown;
  std::vector<AlarmCheck> alarmChecks;
  std::vector<MeasurementRecord> liveLogRows;
  std::vector<std::int32_t> reportRows;
  int openReports = 0;
  bool lockHeldDuringCall = false;

 private:
  void Note(Call call) {
    calls.push_back(call);
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

  std::mutex* watchedLock_ = nullptr;
};
