#include "c_file.h"

#include <string>

CFile OpenCFile(const std::filesystem::path& file, const char* mode) {
#ifdef _WIN32
  const std::string narrow(mode);
  const std::wstring wideMode(narrow.begin(), narrow.end());
  return CFile(_wfopen(file.c_str(), wideMode.c_str()));
#else
  return CFile(std::fopen(file.c_str(), mode));
#endif
}

bool CloseCFile(CFile file) {
  if (!file) return true;
  return std::fclose(file.release()) == 0;
}
