#pragma once

#include <fstream>
#include <iomanip>
#include <locale>
#include <sstream>
#include <string>

// A file of packaging/ as text; empty when it cannot be read.
inline std::string ReadPackagingFile(const std::string& name) {
  std::ifstream in(std::string(ANEMOMETER_PACKAGING_DIR) + "/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A USB identifier as four hex digits, the way sysfs (lower case) or a modalias (upper case)
// writes it.
inline std::string HexId(unsigned id, bool upperCase) {
  std::ostringstream text;
  text.imbue(std::locale::classic());
  if (upperCase) text << std::uppercase;
  text << std::hex << std::setw(4) << std::setfill('0') << id;
  return text.str();
}
