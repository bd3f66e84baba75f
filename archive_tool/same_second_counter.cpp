#include "archive_tool/same_second_counter.h"

namespace {

constexpr std::int64_t kRemembered = 26 * 3600;

}  // namespace

std::int32_t SameSecondCounter::Next(std::int64_t utcSecond) {
  if (!seen_.empty() && utcSecond > seen_.rbegin()->first) {
    seen_.emplace_hint(seen_.end(), utcSecond, 1);
    while (seen_.begin()->first < utcSecond - kRemembered) seen_.erase(seen_.begin());
    return 0;
  }
  return seen_[utcSecond]++;
}
