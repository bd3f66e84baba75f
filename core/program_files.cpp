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

// An empty or relative XDG_* folder is to be ignored, as the base directory rules say.
std::filesystem::path UserDir(const ProgramFileEnvironment& environment, const std::string& xdgDir,
                              const std::filesystem::path& underHome) {
  const std::filesystem::path xdg(xdgDir);
  if (xdg.is_absolute()) return xdg / kProgramFilesFolderName;
  const std::filesystem::path home(environment.home);
  if (home.is_absolute()) return home / underHome / kProgramFilesFolderName;
  return {};
}

bool Portable(const std::filesystem::path& exe) {
  return Exists(exe / kCalibrationFileName) || Exists(exe / kSettingsFileName);
}

}  // namespace

ProgramFileEnvironment ProcessEnvironment(std::filesystem::path executableDir) {
  return {std::move(executableDir), Variable("HOME"), Variable("XDG_CONFIG_HOME"),
          Variable("XDG_DATA_HOME")};
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
  const bool portable = Portable(exe);
  std::filesystem::path user = UserDir(environment, environment.xdgConfigHome, ".config");
  // Without a home folder there is nowhere else to go.
  if (portable || user.empty()) return ProgramFiles(exe, defaults);
  return ProgramFiles(std::move(user), defaults);
}

std::filesystem::path DefaultArchiveFile(const ProgramFileEnvironment& environment) {
  const std::filesystem::path& exe = environment.executableDir;
  const std::filesystem::path user =
      UserDir(environment, environment.xdgDataHome, std::filesystem::path(".local") / "share");
  if (Portable(exe) || user.empty()) return exe / kArchiveFileName;
  return user / kArchiveFileName;
}
