#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "archive/summary_rows.h"

// Builds the summaries of every period from records given in archive order (time, then seq),
// as a rebuild does. Local time may step back (the hour the clocks go back), so a period stays
// open until the records are two days past it.
class SummaryBuilder {
 public:
  using Emit = std::function<void(Resolution, const PeriodSummary&)>;
  explicit SummaryBuilder(Emit emit) : emit_(std::move(emit)) {}

  void Add(const StoredRecord& record);
  // Emits the periods still open.
  void Finish();

 private:
  void EmitBefore(std::int64_t localSeconds);

  Emit emit_;
  std::map<std::int64_t, WindSummary> open_[3];
};
