#pragma once

#include <functional>

// The icon theme's index (hundreds of folders) is read on the first use of a themed icon. The
// program reads it on a thread of its own while the main window is being built; Qt's icon loader
// is not thread-safe, so the window waits for that thread before its first themed icon (the
// style's standard icons, the menu bar's extension button). Without a wait set, there is nothing
// to wait for.
void SetIconThemeWait(std::function<void()> wait);
void WaitForIconTheme();
