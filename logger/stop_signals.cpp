#include "logger/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <system_error>

namespace {

int signalPipe[2] = {-1, -1};

void WriteSignal(int signal) {
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &number, 1);
  errno = saved;
}

}  // namespace

void CatchSignals() {
  if (signalPipe[0] >= 0) return;
  if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::system_error(errno, std::generic_category(), "pipe");
  }
  struct sigaction action {};
  action.sa_handler = WriteSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigset_t caught;
  sigemptyset(&caught);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    sigaction(signal, &action, nullptr);
    sigaddset(&caught, signal);
  }
  // A mask inherited from whoever started the logger would hold them back for ever; one that
  // came while they were blocked is delivered now, to the handler.
  pthread_sigmask(SIG_UNBLOCK, &caught, nullptr);
}

StopSignals::StopSignals(std::function<void(int)> onStop, std::function<void()> onReopen)
    : onStop_(std::move(onStop)), onReopen_(std::move(onReopen)) {
  CatchSignals();
  notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    unsigned char number = 0;
    while (::read(signalPipe[0], &number, 1) == 1) {
      if (number == SIGHUP) {
        onReopen_();
      } else {
        onStop_(number);
      }
    }
  });
}

// The handler stays: a signal after the run is kept in the pipe and ends nothing abruptly.
StopSignals::~StopSignals() { delete notifier_; }
