#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// SIGINT, SIGTERM and SIGHUP reach the logger through a pipe: the signal handler only writes the
// signal's number into it, and the Qt event loop reads it. CatchSignals installs the handler
// first thing in main(), before anything that may fail or wait, so that a signal during
// start-up is kept and acted on rather than killing the process.
void CatchSignals();

// Reads the caught signals on the thread of the Qt event loop: SIGHUP calls onReopen (the log is
// closed and opened again by its name, for log rotation), the others onStop. Signals caught
// before it was made are delivered as soon as the event loop runs. One object at a time.
class StopSignals : public QObject {
 public:
  StopSignals(std::function<void(int signal)> onStop, std::function<void()> onReopen);
  ~StopSignals() override;

  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  std::function<void(int)> onStop_;
  std::function<void()> onReopen_;
  QSocketNotifier* notifier_ = nullptr;
};
