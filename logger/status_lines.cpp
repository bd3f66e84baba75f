#include "logger/status_lines.h"

void StatusLines::Say(const std::string& subject, const std::string& text) {
  {
    const std::lock_guard lock(lock_);
    std::string& last = last_[subject];
    if (last == text) return;
    last = text;
  }
  Always(text);
}

void StatusLines::Always(const std::string& text) {
  const std::lock_guard lock(lock_);
  std::fprintf(out_, "kelvra-anemometer-logger: %s\n", text.c_str());
  std::fflush(out_);
}
