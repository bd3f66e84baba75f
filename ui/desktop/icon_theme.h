#pragma once

#include <QIcon>
#include <QStyle>
#include <functional>
#include <span>

// The icon theme's index (hundreds of folders) is read on the first use of a themed icon. The
// program reads it on a thread of its own while the main window is being built and shown; Qt's
// icon loader is not thread-safe, so the window waits for that thread before its first themed
// icon (the style's standard icons on the tool buttons; the menu bar's extension button is the
// style's own picture and only reads the theme's name, which the program takes before the
// thread starts). Without a wait set, there is nothing to wait for.
void SetIconThemeWait(std::function<void()> wait);
void WaitForIconTheme();
// Whether a wait is set that has not run yet.
bool IconThemeBeingRead();

// The style's standard icons come from the theme, or else from the style's own pictures, each
// decoded in every size it comes in (up to 128 pixels). The program's theme thread prepares
// those the window shows at once; after WaitForIconTheme, StandardIcon hands out a prepared one
// (once) or asks the style there and then.
void PrepareStandardIcons(const QStyle& style, std::span<const QStyle::StandardPixmap> glyphs);
QIcon StandardIcon(const QStyle& style, QStyle::StandardPixmap glyph);
