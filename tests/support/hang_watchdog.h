#pragma once

// HangWatchdog: ends the test process when the scope it guards has not finished within a bound
// far above its expected time, so that a call that blocks for ever fails the test instead of
// stalling the run.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

class HangWatchdog {
 public:
  explicit HangWatchdog(std::string what, std::chrono::seconds limit = std::chrono::seconds(30))
      : what_(std::move(what)), thread_([this, limit] {
          std::unique_lock lock(mutex_);
          if (!finished_.wait_for(lock, limit, [this] { return done_; })) {
            std::fprintf(stderr, "HangWatchdog: %s did not finish within %lld s\n", what_.c_str(),
                         static_cast<long long>(limit.count()));
            std::abort();
          }
        }) {}
  ~HangWatchdog() {
    {
      const std::lock_guard lock(mutex_);
      done_ = true;
    }
    finished_.notify_one();
    thread_.join();
  }
  HangWatchdog(const HangWatchdog&) = delete;
  HangWatchdog& operator=(const HangWatchdog&) = delete;

 private:
  std::string what_;
  std::mutex mutex_;
  std::condition_variable finished_;
  bool done_ = false;
  std::thread thread_;  // last: starts when everything it uses is ready
};
