// The record store's ring against a plain double-ended queue.
#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <vector>

#include "core/record_store.h"

namespace {

void ExpectSameContents(const RecordStore& store, const std::deque<int>& model) {
  ASSERT_EQ(store.Size(), model.size());
  ASSERT_EQ(store.Empty(), model.empty());
  const std::vector<MeasurementRecord> copied(store.begin(), store.end());
  std::vector<int> iterated;
  for (const MeasurementRecord& record : copied) iterated.push_back(record.Sector);
  ASSERT_EQ(iterated, std::vector<int>(model.begin(), model.end()));
  for (std::size_t i = 0; i < model.size(); ++i) ASSERT_EQ(store[i].Sector, model[i]) << i;
  if (!model.empty()) {
    EXPECT_EQ(store.Newest().Sector, model.back());
  }
}

}  // namespace

TEST(RecordStore, BehavesAsAQueueThroughFillingWrappingAndClearing) {
  std::mt19937 rng(23);
  std::uniform_int_distribution<int> operation(0, 99);
  RecordStore store;
  std::deque<int> model;
  int next = 0;
  for (int step = 0; step < 200000; ++step) {
    // Drifts up to the limit, turns the ring over several times, then starts again from empty.
    if (step == 150000) {
      store.Clear();
      model.clear();
    }
    if (operation(rng) < 60 && store.Size() < RecordStore::kLimit) {
      MeasurementRecord record;
      record.Sector = next;
      store.Append(record);
      model.push_back(next++);
    } else if (!store.Empty()) {
      store.RemoveOldest();
      model.pop_front();
    }
    if (step % 997 == 0) ExpectSameContents(store, model);
  }
  ExpectSameContents(store, model);
  EXPECT_GT(next, static_cast<int>(RecordStore::kLimit) * 2);
}
