#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a call of onStop on the thread of the Qt event loop. The signal
// handler only writes the signal's number into a pipe; the event loop reads it and calls onStop.
// One object at a time; the previous handlers come back when it goes.
class StopSignals : public QObject {
 public:
  explicit StopSignals(std::function<void(int signal)> onStop);
  ~StopSignals() override;

  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  std::function<void(int)> onStop_;
  int pipe_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
};
