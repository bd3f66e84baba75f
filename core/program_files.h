#pragma once

// Where the program's own files (anemometer.cal, anemometer.ini, alarm.wav) are read and written.
//
// Portable use: when the executable's folder holds anemometer.cal or anemometer.ini (the build
// tree, an unpacked archive, a folder of one's own), the files live there.
// Installed use: otherwise they live in $XDG_CONFIG_HOME/kelvra-anemometer (by default
// ~/.config/kelvra-anemometer).
// Either way a file missing there is read from the installed defaults in
// <executable's folder>/../share/kelvra-anemometer when it is there (the default calibration
// table and alarm sound), so an installed tree can be moved as a whole.
// The window program and the logger both find their files through this one rule.

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

// What the rule looks at, filled from the running process or by a test.
struct ProgramFileEnvironment {
  std::filesystem::path executableDir;
  std::string home;           // $HOME
  std::string xdgConfigHome;  // $XDG_CONFIG_HOME
  std::string xdgDataHome;    // $XDG_DATA_HOME
};

// HOME, XDG_CONFIG_HOME and XDG_DATA_HOME of this process, with the given executable's folder.
ProgramFileEnvironment ProcessEnvironment(std::filesystem::path executableDir);

struct ProgramFiles {
  ProgramFiles() = default;
  explicit ProgramFiles(std::filesystem::path ownDir, std::filesystem::path defaults = {})
      : dir(std::move(ownDir)), defaultsDir(std::move(defaults)) {}

  std::filesystem::path dir;          // read and written here
  std::filesystem::path defaultsDir;  // read only, when a file is missing in dir; may be empty

  // dir/name when it exists (whatever it is), else defaultsDir/name when that exists, else
  // dir/name.
  std::filesystem::path ReadPath(std::string_view name) const;
  std::filesystem::path WritePath(std::string_view name) const { return dir / name; }
  // Creates dir and its parents when missing, so that a first save can succeed. True when dir
  // is there afterwards.
  bool MakeDir() const;
};

inline constexpr char kProgramFilesFolderName[] = "kelvra-anemometer";

// The settings file (direction offset, compass chart type), read and written by files/.
inline constexpr char kSettingsFileName[] = "anemometer.ini";

// configDir, when not empty, replaces the folder the rule would choose (a --config-dir option);
// the installed defaults are still read for files missing there.
ProgramFiles LocateProgramFiles(const ProgramFileEnvironment& environment,
                                const std::filesystem::path& configDir = {});

inline constexpr char kArchiveFileName[] = "archive.sqlite";

// The station archive is data, not configuration: in portable use it lies in the executable's
// folder; installed, in $XDG_DATA_HOME/kelvra-anemometer (by default
// ~/.local/share/kelvra-anemometer). The service names its own (/var/lib/kelvra-anemometer).
std::filesystem::path DefaultArchiveFile(const ProgramFileEnvironment& environment);
