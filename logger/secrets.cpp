#include "logger/secrets.h"

#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "files/regular_file.h"

namespace {

constexpr std::size_t kLargestSecretFile = 64 * 1024;

}  // namespace

std::optional<std::string> TakeSecretFromEnvironment(const char* name) {
  const std::size_t nameLength = std::strlen(name);
  for (char** entry = environ; *entry != nullptr; ++entry) {
    char* text = *entry;
    if (std::strncmp(text, name, nameLength) != 0 || text[nameLength] != '=') continue;
    std::string value(text + nameLength + 1);
    // unsetenv only drops the pointer; the bytes stay where the kernel put them, and that is
    // what /proc/PID/environ reads.
    ::unsetenv(name);
    ::explicit_bzero(text, std::strlen(text));
    return value;
  }
  return std::nullopt;
}

std::optional<std::string> ReadSecretFile(const std::filesystem::path& file) {
  std::optional<std::string> content = ReadRegularFile(file, kLargestSecretFile);
  if (!content) return std::nullopt;
  const std::size_t end = content->find_first_of("\r\n");
  if (end != std::string::npos) content->resize(end);
  return content;
}
