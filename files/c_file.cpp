#include "files/c_file.h"

#include <unistd.h>

#include <string>

#include "files/regular_file.h"

CFile OpenCFile(const std::filesystem::path& file, const char* mode) {
#ifdef _WIN32
  const std::string narrow(mode);
  const std::wstring wideMode(narrow.begin(), narrow.end());
  return CFile(_wfopen(file.c_str(), wideMode.c_str()));
#else
  return CFile(std::fopen(file.c_str(), mode));
#endif
}

CFile OpenRegularCFileForReading(const std::filesystem::path& file) {
  const int fd = OpenRegularFileForReading(file);
  if (fd < 0) return nullptr;
  CFile stream(::fdopen(fd, "rb"));
  if (!stream) ::close(fd);
  return stream;
}

bool CloseCFile(CFile file) {
  if (!file) return true;
  return std::fclose(file.release()) == 0;
}
