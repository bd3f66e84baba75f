#pragma once

#include <cstdio>
#include <map>
#include <mutex>
#include <string>

// The logger's story on standard error, one line per change, so that the journal of a service
// reads as what happened: each subject (the device, the broker, the log file) says something
// only when what it says differs from its last line. Safe to call from any thread.
class StatusLines {
 public:
  explicit StatusLines(std::FILE* out = stderr) : out_(out) {}

  // Prints "kelvra-anemometer-logger: text" unless subject's last line was the same text.
  void Say(const std::string& subject, const std::string& text);
  // Prints the line whatever came before (per-record lines of --verbose).
  void Always(const std::string& text);

 private:
  std::FILE* const out_;
  std::mutex lock_;
  std::map<std::string, std::string> last_;
};
