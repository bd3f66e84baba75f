#pragma once

#include <cstddef>
#include <iterator>
#include <vector>

#include "core/measurement_record.h"

// The measurement rows of the run, oldest first, at most kLimit of them. Storage is one
// contiguous ring, so appending and dropping the oldest row are constant-time.
// Only AddRecord appends and applies the limit (dropping rows from the grid as well).
class RecordStore {
 public:
  static constexpr std::size_t kLimit = 17280;

  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = MeasurementRecord;
    using difference_type = std::ptrdiff_t;
    using pointer = const MeasurementRecord*;
    using reference = const MeasurementRecord&;

    const_iterator() = default;
    const_iterator(const RecordStore* store, std::size_t index) : store_(store), index_(index) {}
    reference operator*() const { return (*store_)[index_]; }
    pointer operator->() const { return &(*store_)[index_]; }
    const_iterator& operator++() {
      ++index_;
      return *this;
    }
    const_iterator operator++(int) {
      auto copy = *this;
      ++index_;
      return copy;
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) {
      return a.index_ == b.index_;
    }

   private:
    const RecordStore* store_ = nullptr;
    std::size_t index_ = 0;
  };

  std::size_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }

  // index 0 is the oldest record, Size() - 1 the newest.
  const MeasurementRecord& operator[](std::size_t index) const;
  const MeasurementRecord& Newest() const;  // requires !Empty()

  void Append(const MeasurementRecord& record);  // requires Size() < kLimit
  void RemoveOldest();                           // requires !Empty()
  void Clear();

  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size_}; }

 private:
  std::vector<MeasurementRecord> ring_;  // grows up to kLimit, then is reused in place
  std::size_t head_ = 0;                 // position of the oldest record in ring_
  std::size_t size_ = 0;
};
