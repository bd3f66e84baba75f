#include <cmath>
#include <sstream>
#include <string>

#include "core/c_format.h"
#include "core/calibration.h"
#include "core/calibration_reader.h"

namespace {

// The next piece of a line: characters up to and including the newline, at most
// kCalibrationLinePieceLength of them. false when the stream had no character left.
bool ReadLinePiece(std::istream& in, std::string& piece) {
  piece.clear();
  char c = 0;
  while (piece.size() < kCalibrationLinePieceLength && in.get(c)) {
    piece += c;
    if (c == '\n') break;
  }
  return !piece.empty();
}

// The file's text: every entry as "%f %f\n".
std::string CalibrationText(const CalibrationTable& table) {
  std::string text;
  for (const CalibrationEntry& entry : table) {
    text += FormatFixed(static_cast<double>(entry.Frequency));
    text += ' ';
    text += FormatFixed(static_cast<double>(entry.Constant));
    text += '\n';
  }
  return text;
}

}  // namespace

std::optional<CalibrationEntry> ParseCalibrationLine(std::string_view line) {
  line = line.substr(0, line.find('\0'));
  std::size_t used = 0;
  const auto frequency = ScanFloat(line, &used);
  if (!frequency || !std::isfinite(*frequency)) return std::nullopt;
  const auto constant = ScanFloat(line.substr(used));
  if (!constant || !std::isfinite(*constant)) return std::nullopt;
  return CalibrationEntry{*frequency, *constant};
}

int ReadCalibration(std::istream& in, CalibrationTable& table) {
  table.clear();
  std::string piece;
  while (ReadLinePiece(in, piece)) {
    if (in.bad()) return -1;
    const auto entry = ParseCalibrationLine(piece);
    if (!entry) return -1;
    table.push_back(*entry);
  }
  return in.bad() ? -1 : 0;
}

int LoadCalibration(FileStore& files, const std::filesystem::path& file, CalibrationTable& table) {
  table.clear();
  const std::optional<std::string> bytes = files.ReadWholeFile(file, kProgramFileSizeLimit);
  if (!bytes) return -1;
  std::istringstream in(*bytes);
  return ReadCalibration(in, table);
}

int SaveCalibration(FileStore& files, const std::filesystem::path& file,
                    const CalibrationTable& table) {
  return files.ReplaceWholeFile(file, CalibrationText(table)) ? 0 : -1;
}
