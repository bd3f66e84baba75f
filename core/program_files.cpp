#include "core/program_files.h"

#include <cstdlib>
#include <system_error>
#include <utility>

#include "core/calibration.h"

namespace {

bool Exists(const std::filesystem::path& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

// An empty or relative XDG_CONFIG_HOME is to be ignored, as the base directory rules say.
std::filesystem::path UserConfigDir(const ProgramFileEnvironment& environment) {
  const std::filesystem::path xdg(environment.xdgConfigHome);
  if (xdg.is_absolute()) return xdg / kProgramFilesFolderName;
  const std::filesystem::path home(environment.home);
  if (home.is_absolute()) return home / ".config" / kProgramFilesFolderName;
  return {};
}

}  // namespace

ProgramFileEnvironment ProcessEnvironment(std::filesystem::path executableDir) {
  return {std::move(executableDir), Variable("HOME"), Variable("XDG_CONFIG_HOME")};
}

std::filesystem::path ProgramFiles::ReadPath(std::string_view name) const {
  const std::filesystem::path own = dir / name;
  if (Exists(own) || defaultsDir.empty()) return own;
  const std::filesystem::path fallback = defaultsDir / name;
  return Exists(fallback) ? fallback : own;
}

bool ProgramFiles::MakeDir() const {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  return std::filesystem::is_directory(dir, error);
}

ProgramFiles LocateProgramFiles(const ProgramFileEnvironment& environment,
                                const std::filesystem::path& configDir) {
  const std::filesystem::path& exe = environment.executableDir;
  const std::filesystem::path defaults =
      (exe / ".." / "share" / kProgramFilesFolderName).lexically_normal();
  if (!configDir.empty()) return ProgramFiles(configDir, defaults);
  const bool portable = Exists(exe / kCalibrationFileName) || Exists(exe / kSettingsFileName);
  std::filesystem::path user = UserConfigDir(environment);
  // Without a home folder there is nowhere else to go.
  if (portable || user.empty()) return ProgramFiles(exe, defaults);
  return ProgramFiles(std::move(user), defaults);
}
