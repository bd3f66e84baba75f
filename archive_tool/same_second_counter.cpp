#include "archive_tool/same_second_counter.h"

#include <algorithm>

namespace {

constexpr std::int64_t kRemembered = 26 * 3600;

}  // namespace

std::int32_t SameSecondCounter::Next(std::int64_t utcSecond) {
  if (seen_.empty() || utcSecond > seen_.back().first) {
    seen_.emplace_back(utcSecond, 1);
    while (seen_.front().first < utcSecond - kRemembered) seen_.pop_front();
    return 0;
  }
  const auto at = std::lower_bound(seen_.begin(), seen_.end(), utcSecond,
                                   [](const std::pair<std::int64_t, std::int32_t>& entry,
                                      std::int64_t second) { return entry.first < second; });
  if (at != seen_.end() && at->first == utcSecond) return at->second++;
  seen_.emplace(at, utcSecond, 1);
  return 0;
}
