#include "ui/desktop/session_bus.h"

#include <QDBusConnection>

std::future<void> BeginSessionBusConnection() {
  // Qt keeps the default session bus connection for the whole program, whichever thread asked.
  return std::async(std::launch::async, [] { QDBusConnection::sessionBus(); });
}
