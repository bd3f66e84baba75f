#pragma once

#include <cstdint>
#include <string>

// "name  45%" on standard error, rewritten in place while a large file is imported; only when
// standard error is a terminal, so that logs and pipes get no carriage returns.
class ProgressLine {
 public:
  explicit ProgressLine(std::string name);
  ~ProgressLine();  // clears the line
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void Show(std::uint64_t done, std::uint64_t total);

 private:
  std::string name_;
  bool terminal_;
  bool shown_ = false;
  int percent_ = -1;
};
