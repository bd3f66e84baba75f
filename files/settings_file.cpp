#include "settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "atomic_file.h"
#include "file_store.h"
#include "regular_file.h"

namespace {

// The profile functions treat Ctrl-Z, an old end-of-file mark, as white space too.
bool IsProfileSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x1a;
}

QByteArray TrimProfileSpace(QByteArrayView text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && IsProfileSpace(text[begin])) ++begin;
  while (end > begin && IsProfileSpace(text[end - 1])) --end;
  return text.sliced(begin, end - begin).toByteArray();
}

bool SameName(QByteArrayView a, QByteArrayView b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

struct ProfileLine {
  enum class Kind { Blank, Section, Key };
  Kind kind = Kind::Blank;
  QByteArray name;   // section or key name
  QByteArray value;  // trimmed; empty for a key line without "="
};

ProfileLine ParseLine(QByteArrayView rawLine) {
  const QByteArray line = TrimProfileSpace(rawLine);
  ProfileLine parsed;
  if (line.isEmpty()) return parsed;
  if (line.startsWith('[')) {
    const qsizetype close = line.indexOf(']');
    if (close > 0) {
      parsed.kind = ProfileLine::Kind::Section;
      parsed.name = line.sliced(1, close - 1);
      return parsed;
    }
  }
  parsed.kind = ProfileLine::Kind::Key;
  const qsizetype equals = line.indexOf('=');
  if (equals < 0) {
    parsed.name = line;
    return parsed;
  }
  parsed.name = TrimProfileSpace(line.first(equals));
  parsed.value = TrimProfileSpace(line.sliced(equals + 1));
  return parsed;
}

// The file split into lines without their line ends, remembering which line end it uses.
struct ProfileText {
  QList<QByteArray> lines;
  QByteArray lineEnd = "\r\n";  // what the Windows program writes; kept for new files too
};

ProfileText SplitLines(const QByteArray& content) {
  ProfileText text;
  const qsizetype firstFeed = content.indexOf('\n');
  if (firstFeed >= 0 && (firstFeed == 0 || content[firstFeed - 1] != '\r')) text.lineEnd = "\n";
  qsizetype start = 0;
  while (start < content.size()) {
    qsizetype feed = content.indexOf('\n', start);
    if (feed < 0) feed = content.size();
    qsizetype end = feed;
    if (end > start && content[end - 1] == '\r') --end;
    text.lines.append(content.sliced(start, end - start));
    start = feed + 1;
  }
  return text;
}

std::filesystem::path FileSystemPath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Reads the whole file; nullopt when it exists but cannot be read, is not a regular file or is
// larger than any settings file. A missing file reads as empty.
std::optional<QByteArray> ReadProfileFile(const QString& path) {
  if (!QFileInfo::exists(path)) return QByteArray();
  const std::optional<std::string> content =
      ReadRegularFile(FileSystemPath(path), kProgramFileSizeLimit);
  if (!content) return std::nullopt;
  return QByteArray::fromStdString(*content);
}

// Index of the key's line in the first section named section, nullopt when absent. *sectionLine
// receives the section header's index (-1 without one) and *lastLineOfSection the index of the
// section's last non-blank line, where a new key goes.
std::optional<qsizetype> FindKeyLine(const QList<QByteArray>& lines, QByteArrayView section,
                                     QByteArrayView key, qsizetype* sectionLine = nullptr,
                                     qsizetype* lastLineOfSection = nullptr) {
  qsizetype header = -1;
  qsizetype last = -1;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const ProfileLine line = ParseLine(lines[i]);
    if (line.kind == ProfileLine::Kind::Section) {
      if (header >= 0) break;  // only the first matching section counts
      if (SameName(line.name, section)) header = last = i;
      continue;
    }
    if (header < 0 || line.kind == ProfileLine::Kind::Blank) continue;
    last = i;
    if (SameName(line.name, key)) {
      if (sectionLine != nullptr) *sectionLine = header;
      if (lastLineOfSection != nullptr) *lastLineOfSection = last;
      return i;
    }
  }
  if (sectionLine != nullptr) *sectionLine = header;
  if (lastLineOfSection != nullptr) *lastLineOfSection = last;
  return std::nullopt;
}

// The leading integer of a profile value, read like the platform's string-to-integer call:
// white space, one sign, decimal digits, accumulated in 32 bits (an overlong number wraps as it
// does there). A surrounding pair of quotes is removed first.
std::optional<int> ProfileInteger(QByteArray value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.sliced(1, value.size() - 2);
  }
  qsizetype pos = 0;
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

int ProfileIntFrom(const QByteArray& content, const QString& section, const QString& key,
                   int defaultValue) {
  const QList<QByteArray> lines = SplitLines(content).lines;
  const QByteArray sectionName = TrimProfileSpace(section.toUtf8());
  const QByteArray keyName = TrimProfileSpace(key.toUtf8());
  const std::optional<qsizetype> at = FindKeyLine(lines, sectionName, keyName);
  if (!at) return defaultValue;
  return ProfileInteger(ParseLine(lines[*at]).value).value_or(defaultValue);
}

// The user's read-only marking is honoured even when the process could write anyway.
bool MarkedReadOnly(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return false;
  constexpr QFileDevice::Permissions anyWrite =
      QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
  return (info.permissions() & anyWrite) == 0;
}

// Sets key=value in text's section the way WritePrivateProfileStringA does.
void SetProfileString(ProfileText& text, const QString& section, const QString& key,
                      const QString& value) {
  const QByteArray sectionName = TrimProfileSpace(section.toUtf8());
  const QByteArray keyName = TrimProfileSpace(key.toUtf8());
  const QByteArray valueText = value.toUtf8();
  qsizetype header = -1;
  qsizetype lastLine = -1;
  const std::optional<qsizetype> at =
      FindKeyLine(text.lines, sectionName, keyName, &header, &lastLine);
  if (at) {
    // Keeps the key's spelling from the file.
    text.lines[*at] = ParseLine(text.lines[*at]).name + '=' + valueText;
  } else if (header >= 0) {
    text.lines.insert(lastLine + 1, keyName + '=' + valueText);
  } else {
    while (!text.lines.isEmpty() && TrimProfileSpace(text.lines.back()).isEmpty()) {
      text.lines.removeLast();
    }
    if (!text.lines.isEmpty()) text.lines.append(QByteArray());
    text.lines.append('[' + sectionName + ']');
    text.lines.append(keyName + '=' + valueText);
  }
}

// Sets every key in section and replaces the file once, all or nothing: a failed write leaves
// the previous file as it was.
bool WriteProfileStrings(const QString& section, const QList<std::pair<QString, QString>>& values,
                         const QString& path, FileCalls& calls) {
  if (MarkedReadOnly(path)) return false;
  const std::optional<QByteArray> content = ReadProfileFile(path);
  if (!content) return false;
  ProfileText text = SplitLines(*content);
  for (const auto& [key, value] : values) SetProfileString(text, section, key, value);
  QByteArray output;
  for (const QByteArray& line : text.lines) output += line + text.lineEnd;
  return ReplaceFileContents(FileSystemPath(path), std::string_view(output.data(), output.size()),
                             calls);
}

}  // namespace

QString SettingsPath(const QString& programDir) {
  return QDir(programDir).filePath(QString::fromLatin1(kSettingsFileName));
}

int GetPrivateProfileInt(const QString& section, const QString& key, int defaultValue,
                         const QString& path) {
  const std::optional<QByteArray> content = ReadProfileFile(path);
  if (!content) return defaultValue;
  return ProfileIntFrom(*content, section, key, defaultValue);
}

bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& path) {
  return WriteProfileStrings(section, {{key, value}}, path, SystemFileCalls());
}

LoadedSettings LoadSettingsFile(const QString& path) {
  LoadedSettings settings;
  const std::optional<QByteArray> content = ReadProfileFile(path);
  if (!content) {
    settings.FileUnreadable = true;
    return settings;
  }
  const QString section = QString::fromLatin1(kSettingsSection);
  settings.DirectionOffset = ProfileIntFrom(*content, section,
                                            QString::fromLatin1(kDirectionOffsetKey),
                                            kDefaultDirectionOffset);
  settings.CompassChartType = ProfileIntFrom(*content, section,
                                             QString::fromLatin1(kCompassChartTypeKey),
                                             kDefaultCompassChartType);
  if (settings.DirectionOffset < 0 || settings.DirectionOffset > 15) {
    settings.DirectionOffset = kDefaultDirectionOffset;
  }
  if (settings.CompassChartType < 1 || settings.CompassChartType > 3) {
    settings.CompassChartType = kDefaultCompassChartType;
  }
  return settings;
}

bool SaveSettingsFile(const QString& path, int directionOffset, int compassChartType,
                      FileCalls& calls) {
  return WriteProfileStrings(
      QString::fromLatin1(kSettingsSection),
      {{QString::fromLatin1(kDirectionOffsetKey), QString::number(directionOffset)},
       {QString::fromLatin1(kCompassChartTypeKey), QString::number(compassChartType)}},
      path, calls);
}
