#include "c_file.h"

#include <string>

#ifndef _WIN32
#include <unistd.h>

#include "regular_file.h"
#endif

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
#ifdef _WIN32
  return OpenCFile(file, "rb");
#else
  const int fd = OpenRegularFileForReading(file);
  if (fd < 0) return nullptr;
  CFile stream(::fdopen(fd, "rb"));
  if (!stream) ::close(fd);
  return stream;
#endif
}

CFile OpenRegularCFileForWriting(const std::filesystem::path& file, bool* notRegular,
                                 bool append) {
#ifdef _WIN32
  *notRegular = false;
  return OpenCFile(file, append ? "ab" : "wb");
#else
  const int fd = OpenRegularFileForWriting(file, notRegular, append);
  if (fd < 0) return nullptr;
  CFile stream(::fdopen(fd, append ? "ab" : "wb"));
  if (!stream) ::close(fd);
  return stream;
#endif
}

bool CloseCFile(CFile file) {
  if (!file) return true;
  return std::fclose(file.release()) == 0;
}
