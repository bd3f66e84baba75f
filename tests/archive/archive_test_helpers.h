#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/station_archive.h"

// The whole of the archive's time range, in local seconds.
inline constexpr std::int64_t kAllFrom = 0;
inline constexpr std::int64_t kAllTo = std::int64_t{1} << 40;

inline StoredRecord Record(std::int64_t time, std::int32_t utcOffset, double avg, double gust,
                           std::int32_t sector, bool madeUp = false) {
  StoredRecord r;
  r.time = time;
  r.utcOffset = utcOffset;
  r.avgSpeed = ToMillionths(avg);
  r.gustSpeed = ToMillionths(gust);
  r.sector = sector;
  r.temperature = ToMillionths(5.0 + avg);
  r.windChillAvg = ToMillionths(4.0 - avg);
  r.windChillGust = ToMillionths(3.0 - gust);
  r.beaufortAvg = ToMillionths(avg / 2);
  r.beaufortGust = ToMillionths(gust / 2);
  r.madeUp = madeUp;
  return r;
}

inline void Append(StationArchive& archive, std::int32_t station, StoredRecord record) {
  archive.AppendReport(station, std::span(&record, 1));
}

// Empty when the stored summaries of every resolution are the ones the records give, else where
// they first differ.
inline std::string SummariesAgainstRecords(StationArchive& archive, std::int32_t station) {
  for (const Resolution resolution : kResolutions) {
    const auto stored = archive.Summaries(station, resolution, kAllFrom, kAllTo);
    const auto built = archive.SummariesFromRecords(station, resolution, kAllFrom, kAllTo);
    for (std::size_t i = 0; i < std::max(stored.size(), built.size()); ++i) {
      if (i < stored.size() && i < built.size() && stored[i] == built[i]) continue;
      const auto& at = i < stored.size() ? stored[i] : built[i];
      return "station " + std::to_string(station) + ", " + std::to_string(Seconds(resolution)) +
             " s periods: " + std::to_string(stored.size()) + " stored, " +
             std::to_string(built.size()) + " from records; first difference at local second " +
             std::to_string(at.start);
    }
  }
  return "";
}

inline std::vector<StoredRecord> AllRecords(StationArchive& archive, std::int32_t station) {
  std::vector<StoredRecord> records;
  archive.ForEachRecord(station, kAllFrom, kAllTo,
                        [&](const StoredRecord& r) { records.push_back(r); });
  return records;
}

inline std::string FileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
