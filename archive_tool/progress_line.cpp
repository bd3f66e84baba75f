#include "archive_tool/progress_line.h"

#include <unistd.h>

#include <cstdio>

namespace {

// Smaller files are done before a bar would be worth looking at.
constexpr std::uint64_t kShownFrom = 8u << 20;

}  // namespace

ProgressLine::ProgressLine(std::string name)
    : name_(std::move(name)), terminal_(::isatty(STDERR_FILENO) == 1) {}

ProgressLine::~ProgressLine() {
  if (!shown_) return;
  std::fprintf(stderr, "\r%*s\r", static_cast<int>(name_.size() + 40), "");
  std::fflush(stderr);
}

void ProgressLine::Show(std::uint64_t done, std::uint64_t total) {
  if (!terminal_ || total < kShownFrom) return;
  const int percent = static_cast<int>(done * 100 / total);
  if (percent == percent_) return;
  percent_ = percent;
  shown_ = true;
  constexpr int kWidth = 30;
  const int filled = percent * kWidth / 100;
  std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%", name_.c_str(), filled,
               "##############################", kWidth - filled, "", percent);
  std::fflush(stderr);
}
