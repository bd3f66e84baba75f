#pragma once

#include <cstdint>
#include <deque>
#include <utility>

// A record's place among a file's records of the same UTC second (0, 1, ...), the seq under which
// the archive knows it, so that a file imported twice finds its records already there. Seconds
// repeat for records less than a second apart and in the hour the clocks go back, whose local
// times map to the same UTC seconds as the hour before; seconds more than a day behind the
// newest seen are forgotten.
class SameSecondCounter {
 public:
  std::int32_t Next(std::int64_t utcSecond);

 private:
  // Seconds in ascending order with their records so far; files run forward in time, so nearly
  // every record adds at the back.
  std::deque<std::pair<std::int64_t, std::int32_t>> seen_;
};
