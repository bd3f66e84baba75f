#include "core/record_store.h"

#include <cassert>

// Slots are numbered modulo kLimit from the first append on. The vector, reserved whole at the
// first append, only grows while the store has never been full; from then on every append
// reuses the slot the oldest record left, so neither operation ever moves a record.

const MeasurementRecord& RecordStore::operator[](std::size_t index) const {
  assert(index < size_);
  return ring_[(head_ + index) % kLimit];
}

const MeasurementRecord& RecordStore::Newest() const {
  assert(size_ > 0);
  return (*this)[size_ - 1];
}

void RecordStore::Append(const MeasurementRecord& record) {
  assert(size_ < kLimit);
  const std::size_t slot = (head_ + size_) % kLimit;
  // One allocation for the whole run instead of a series of growing copies.
  if (ring_.capacity() == 0) ring_.reserve(kLimit);
  if (slot == ring_.size()) {
    ring_.push_back(record);
  } else {
    ring_[slot] = record;
  }
  ++size_;
}

void RecordStore::RemoveOldest() {
  assert(size_ > 0);
  head_ = (head_ + 1) % kLimit;
  --size_;
}

void RecordStore::Clear() {
  ring_.clear();
  head_ = 0;
  size_ = 0;
}
