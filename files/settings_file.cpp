#include "files/settings_file.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/c_format.h"
#include "core/file_store.h"
#include "files/atomic_file.h"
#include "files/regular_file.h"

namespace fs = std::filesystem;

namespace {

// The profile functions treat Ctrl-Z, an old end-of-file mark, as white space too.
bool IsProfileSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x1a;
}

std::string_view TrimProfileSpace(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsProfileSpace(text[begin])) ++begin;
  while (end > begin && IsProfileSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

struct ProfileLine {
  enum class Kind { Blank, Section, Key };
  Kind kind = Kind::Blank;
  std::string name;   // section or key name
  std::string value;  // trimmed; empty for a key line without "="
};

ProfileLine ParseLine(std::string_view rawLine) {
  const std::string_view line = TrimProfileSpace(rawLine);
  ProfileLine parsed;
  if (line.empty()) return parsed;
  if (line.front() == '[') {
    const std::size_t close = line.find(']');
    if (close != std::string_view::npos) {
      parsed.kind = ProfileLine::Kind::Section;
      parsed.name = line.substr(1, close - 1);
      return parsed;
    }
  }
  parsed.kind = ProfileLine::Kind::Key;
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    parsed.name = line;
    return parsed;
  }
  parsed.name = TrimProfileSpace(line.substr(0, equals));
  parsed.value = TrimProfileSpace(line.substr(equals + 1));
  return parsed;
}

// The file split into lines without their line ends, remembering which line end it uses.
struct ProfileText {
  std::vector<std::string> lines;
  std::string_view lineEnd = "\r\n";  // what the Windows program writes; kept for new files too
};

ProfileText SplitLines(std::string_view content) {
  ProfileText text;
  const std::size_t firstFeed = content.find('\n');
  if (firstFeed != std::string_view::npos && (firstFeed == 0 || content[firstFeed - 1] != '\r')) {
    text.lineEnd = "\n";
  }
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t feed = content.find('\n', start);
    if (feed == std::string_view::npos) feed = content.size();
    std::size_t end = feed;
    if (end > start && content[end - 1] == '\r') --end;
    text.lines.emplace_back(content.substr(start, end - start));
    start = feed + 1;
  }
  return text;
}

// Reads the whole file; nullopt when it exists but cannot be read, is not a regular file or is
// larger than any settings file. A missing file (or a link to nothing) reads as empty.
std::optional<std::string> ReadProfileFile(const fs::path& path) {
  std::error_code ignored;
  if (!fs::exists(path, ignored)) return std::string();
  return ReadRegularFile(path, kProgramFileSizeLimit);
}

struct KeySearch {
  std::optional<std::size_t> keyLine;      // the key's line, when the section has it
  std::optional<std::size_t> sectionLine;  // the section's header, when there is one
  std::size_t lastLineOfSection = 0;       // its last non-blank line, where a new key goes
};

// Looks for the key in the first section named section; later sections of that name are not
// read.
KeySearch FindKey(const std::vector<std::string>& lines, std::string_view section,
                  std::string_view key) {
  KeySearch found;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const ProfileLine line = ParseLine(lines[i]);
    if (line.kind == ProfileLine::Kind::Section) {
      if (found.sectionLine) break;
      if (EqualIgnoringAsciiCase(line.name, section)) {
        found.sectionLine = found.lastLineOfSection = i;
      }
      continue;
    }
    if (!found.sectionLine || line.kind == ProfileLine::Kind::Blank) continue;
    found.lastLineOfSection = i;
    if (EqualIgnoringAsciiCase(line.name, key)) {
      found.keyLine = i;
      break;
    }
  }
  return found;
}

// The leading integer of a profile value, read like the platform's string-to-integer call:
// white space, one sign, decimal digits, accumulated in 32 bits (an overlong number wraps as it
// does there). A surrounding pair of quotes is removed first.
std::optional<int> ProfileInteger(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  std::size_t pos = 0;
  while (pos < value.size() && static_cast<unsigned char>(value[pos]) <= ' ') ++pos;
  bool negative = false;
  if (pos < value.size() && (value[pos] == '+' || value[pos] == '-')) {
    negative = value[pos] == '-';
    ++pos;
  }
  std::uint32_t magnitude = 0;
  bool anyDigit = false;
  for (; pos < value.size() && value[pos] >= '0' && value[pos] <= '9'; ++pos) {
    magnitude = magnitude * 10u + static_cast<std::uint32_t>(value[pos] - '0');
    anyDigit = true;
  }
  if (!anyDigit) return std::nullopt;
  if (negative) magnitude = 0u - magnitude;
  return static_cast<int>(magnitude);
}

int ProfileIntFrom(const std::vector<std::string>& lines, std::string_view section,
                   std::string_view key, int defaultValue) {
  const KeySearch found = FindKey(lines, TrimProfileSpace(section), TrimProfileSpace(key));
  if (!found.keyLine) return defaultValue;
  return ProfileInteger(ParseLine(lines[*found.keyLine]).value).value_or(defaultValue);
}

// The user's read-only marking is honoured even when the process could write anyway.
bool MarkedReadOnly(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) return false;
  constexpr fs::perms anyWrite =
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  return (status.permissions() & anyWrite) == fs::perms::none;
}

// Sets key=value in text's section the way WritePrivateProfileStringA does.
void SetProfileString(ProfileText& text, std::string_view section, std::string_view key,
                      std::string_view value) {
  const std::string_view sectionName = TrimProfileSpace(section);
  const std::string_view keyName = TrimProfileSpace(key);
  const KeySearch found = FindKey(text.lines, sectionName, keyName);
  const auto keyLine = [&](std::string_view name) {
    std::string line(name);
    line += '=';
    line += value;
    return line;
  };
  if (found.keyLine) {
    // Keeps the key's spelling from the file.
    text.lines[*found.keyLine] = keyLine(ParseLine(text.lines[*found.keyLine]).name);
  } else if (found.sectionLine) {
    text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(found.lastLineOfSection + 1),
                      keyLine(keyName));
  } else {
    while (!text.lines.empty() && TrimProfileSpace(text.lines.back()).empty()) {
      text.lines.pop_back();
    }
    if (!text.lines.empty()) text.lines.emplace_back();
    text.lines.push_back('[' + std::string(sectionName) + ']');
    text.lines.push_back(keyLine(keyName));
  }
}

// Sets every key in section and replaces the file once, all or nothing: a failed write leaves
// the previous file as it was.
bool WriteProfileStrings(std::string_view section,
                         std::initializer_list<std::pair<std::string_view, std::string>> values,
                         const fs::path& path, FileCalls& calls) {
  if (MarkedReadOnly(path)) return false;
  const std::optional<std::string> content = ReadProfileFile(path);
  if (!content) return false;
  ProfileText text = SplitLines(*content);
  for (const auto& [key, value] : values) SetProfileString(text, section, key, value);
  std::string output;
  for (const std::string& line : text.lines) {
    output += line;
    output += text.lineEnd;
  }
  return ReplaceFileContents(path, output, calls);
}

}  // namespace

fs::path SettingsPath(const fs::path& programDir) { return programDir / kSettingsFileName; }

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const fs::path& path) {
  const std::optional<std::string> content = ReadProfileFile(path);
  if (!content) return defaultValue;
  return ProfileIntFrom(SplitLines(*content).lines, section, key, defaultValue);
}

LoadedSettings LoadSettingsFile(const fs::path& path) {
  LoadedSettings settings;
  const std::optional<std::string> content = ReadProfileFile(path);
  if (!content) {
    settings.FileUnreadable = true;
    return settings;
  }
  const std::vector<std::string> lines = SplitLines(*content).lines;
  settings.DirectionOffset =
      ProfileIntFrom(lines, kSettingsSection, kDirectionOffsetKey, kDefaultDirectionOffset);
  settings.CompassChartType =
      ProfileIntFrom(lines, kSettingsSection, kCompassChartTypeKey, kDefaultCompassChartType);
  if (settings.DirectionOffset < 0 || settings.DirectionOffset > 15) {
    settings.DirectionOffset = kDefaultDirectionOffset;
  }
  if (settings.CompassChartType < 1 || settings.CompassChartType > 3) {
    settings.CompassChartType = kDefaultCompassChartType;
  }
  return settings;
}

bool SaveSettingsFile(const fs::path& path, int directionOffset, int compassChartType,
                      FileCalls& calls) {
  return WriteProfileStrings(kSettingsSection,
                             {{kDirectionOffsetKey, std::to_string(directionOffset)},
                              {kCompassChartTypeKey, std::to_string(compassChartType)}},
                             path, calls);
}
