#include "archive/summary_builder.h"

#include "archive/civil_time.h"

namespace {
constexpr std::int64_t kKeptOpen = 2 * 86400;
}

void SummaryBuilder::Add(const StoredRecord& record) {
  const std::int64_t local = record.LocalSeconds();
  for (std::size_t i = 0; i < 3; ++i) {
    AddRecord(open_[i][PeriodStart(local, Seconds(kResolutions[i]))], record);
  }
  EmitBefore(local - kKeptOpen);
}

void SummaryBuilder::EmitBefore(std::int64_t localSeconds) {
  for (std::size_t i = 0; i < 3; ++i) {
    auto& open = open_[i];
    const std::int64_t period = Seconds(kResolutions[i]);
    while (!open.empty() && open.begin()->first + period <= localSeconds) {
      emit_(kResolutions[i], {open.begin()->first, open.begin()->second});
      open.erase(open.begin());
    }
  }
}

void SummaryBuilder::Finish() {
  for (std::size_t i = 0; i < 3; ++i) {
    for (const auto& [start, summary] : open_[i]) emit_(kResolutions[i], {start, summary});
    open_[i].clear();
  }
}
