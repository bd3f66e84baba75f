#include "ui/desktop/icon_theme.h"

#include <map>
#include <utility>

namespace {

std::function<void()>& PendingWait() {
  static std::function<void()> wait;
  return wait;
}

struct PreparedIcon {
  const QStyle* style;
  QIcon icon;
};

// Written by the theme's thread, read after the wait for it.
std::map<QStyle::StandardPixmap, PreparedIcon>& PreparedIcons() {
  static std::map<QStyle::StandardPixmap, PreparedIcon> icons;
  return icons;
}

}  // namespace

void SetIconThemeWait(std::function<void()> wait) { PendingWait() = std::move(wait); }

void WaitForIconTheme() {
  std::function<void()> wait = std::exchange(PendingWait(), nullptr);
  if (wait) wait();
}

bool IconThemeBeingRead() { return static_cast<bool>(PendingWait()); }

void PrepareStandardIcons(const QStyle& style, std::span<const QStyle::StandardPixmap> glyphs) {
  for (const QStyle::StandardPixmap glyph : glyphs) {
    PreparedIcons().insert_or_assign(glyph, PreparedIcon{&style, style.standardIcon(glyph)});
  }
}

QIcon StandardIcon(const QStyle& style, QStyle::StandardPixmap glyph) {
  const auto prepared = PreparedIcons().find(glyph);
  if (prepared == PreparedIcons().end() || prepared->second.style != &style) {
    return style.standardIcon(glyph);
  }
  QIcon icon = std::move(prepared->second.icon);
  PreparedIcons().erase(prepared);
  return icon;
}
