#pragma once

#include <filesystem>
#include <string_view>

#include "core/program_files.h"  // kSettingsFileName
#include "files/file_calls.h"

// anemometer.ini: one section "Anemometer" with the direction offset and the compass chart
// type. The file may come from the Windows version of the program, so it is read the way the
// Windows private-profile functions read it, and written by changing only the lines it owns.
// Names and values are bytes as they stand in the file (UTF-8 from this program).

inline constexpr char kSettingsSection[] = "Anemometer";
inline constexpr char kDirectionOffsetKey[] = "PosunutiSmeruVetru";
inline constexpr char kCompassChartTypeKey[] = "TypGrafuNaKompasu";

inline constexpr int kDefaultDirectionOffset = 0;   // 0..15
inline constexpr int kDefaultCompassChartType = 1;  // 1..3

// The settings file of the program in programDir (the executable's directory).
std::filesystem::path SettingsPath(const std::filesystem::path& programDir);

// Reads an integer the way GetPrivateProfileIntA does: section and key are matched without
// regard to ASCII case (the first matching section only), the value is trimmed and may be
// quoted, and its leading integer (optional sign, decimal digits) is the result. A missing or
// unreadable file, section or key, an empty value or one without a leading integer gives
// defaultValue.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::filesystem::path& path);

struct LoadedSettings {
  int DirectionOffset = kDefaultDirectionOffset;
  int CompassChartType = kDefaultCompassChartType;
  // The file exists but could not be read; the values are the defaults. A missing file is not
  // a fault: a first run has none.
  bool FileUnreadable = false;
};

// Both settings, each replaced by its default when it lies outside its range. A file that is not
// a regular file or is larger than kProgramFileSizeLimit counts as unreadable.
LoadedSettings LoadSettingsFile(const std::filesystem::path& path);

// Writes both keys in one replacement of the file. False when it failed; the file is as before.
bool SaveSettingsFile(const std::filesystem::path& path, int directionOffset, int compassChartType,
                      FileCalls& calls = SystemFileCalls());
