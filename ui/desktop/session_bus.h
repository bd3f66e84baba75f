#pragma once

#include <future>

// Qt's accessibility connects to the desktop's session bus when the first widget reports a
// state, and the window waits meanwhile; where no session bus runs, libdbus first tries to start
// one (dbus-launch). Begun on a thread of its own once the application object exists, the
// connection is made while the window is built, and the window finds it made. The future ends
// with the attempt, made or not; it must end before the application object goes.
[[nodiscard]] std::future<void> BeginSessionBusConnection();
