#include <cmath>
#include <fstream>
#include <string>

#include "c_format.h"
#include "calibration.h"
#include "calibration_reader.h"

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

int LoadCalibration(const std::filesystem::path& file, CalibrationTable& table) {
  table.clear();
  std::ifstream in(file, std::ios::binary);
  if (!in.is_open()) return -1;
  return ReadCalibration(in, table);
}

int SaveCalibration(const std::filesystem::path& file, const CalibrationTable& table) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) return -1;
  std::string line;
  for (const CalibrationEntry& entry : table) {
    line = FormatFixed(static_cast<double>(entry.Frequency));
    line += ' ';
    line += FormatFixed(static_cast<double>(entry.Constant));
    line += '\n';
    if (!out.write(line.data(), static_cast<std::streamsize>(line.size()))) return -1;
  }
  // The data reaches the file only here; a full disk shows up in the flush or the close.
  if (!out.flush()) return -1;
  out.close();
  return out.fail() ? -1 : 0;
}
