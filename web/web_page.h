#pragma once

#include <QByteArray>
#include <optional>
#include <string_view>

#include "web/web_response.h"

// True when Accept-Language ranks English above Czech; the page is Czech otherwise, as the
// window is.
bool PrefersEnglish(std::string_view acceptLanguage);

// The page and its files (scripts, style, the vendored chart library), compiled into the
// program; nothing for any other path.
// firstData, a JSON object, goes into the page as its first answers, so that it draws without
// asking for them.
std::optional<WebResponse> PageFile(const QByteArray& path, std::string_view acceptLanguage,
                                    const QByteArray& firstData);
