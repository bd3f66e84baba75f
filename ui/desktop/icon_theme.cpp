#include "ui/desktop/icon_theme.h"

#include <utility>

namespace {

std::function<void()>& PendingWait() {
  static std::function<void()> wait;
  return wait;
}

}  // namespace

void SetIconThemeWait(std::function<void()> wait) { PendingWait() = std::move(wait); }

void WaitForIconTheme() {
  std::function<void()> wait = std::exchange(PendingWait(), nullptr);
  if (wait) wait();
}
