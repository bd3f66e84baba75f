#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

class StationArchive;

// What importing one file did. When refused, nothing of the file was written and error says
// why ("line 12: Incorrect line format.").
struct ImportResult {
  bool refused = false;
  std::string error;
  std::int64_t added = 0;
  std::int64_t present = 0;  // already in the archive, skipped
};

// progress(bytes read, file size), called now and then.
using ImportProgress = std::function<void(std::uint64_t, std::uint64_t)>;

// A data file of this program into the station's records, in one transaction: all of it or
// nothing. Save's and the live log's CSV (files/csv_format.h), or the logger's ISO log
// (iso_log_row.h), told apart by the header. Throws ArchiveError when the archive fails (the
// import is abandoned first).
ImportResult ImportDataFile(StationArchive& archive, std::int32_t station,
                            const std::filesystem::path& file, const ImportProgress& progress);
