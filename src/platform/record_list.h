#pragma once
// A growable block of fixed-size records addressed by index, with the growth
// rule the program's record lists share: the capacity is a multiple of 8, at
// least 8, and is recomputed whenever an item is addressed, so that the slot
// at `Count` (and any index beyond it) always exists as a spare record.
#include <algorithm>
#include <type_traits>
#include <vector>

namespace lumetra::platform {

template <typename Record>
class RecordList {
  static_assert(std::is_trivially_copyable_v<Record>);

 public:
  // Indexes beyond this (and beyond Count) are clamped: a damaged index
  // must not make the list allocate without bound.
  static constexpr int kMaxSpareIndex = 65535;

  // New slots are copies of `initial` (zero-filled by default), so a record
  // never holds stale memory.
  explicit RecordList(const Record& initial = Record{}) : initial_(initial), records_(8, initial) {}

  int Count = 0;

  Record& Item(int index) {
    if (index < 0) index = 0;
    index = std::min(index, std::max(Count, kMaxSpareIndex));
    const int larger = std::max(Count, index);
    const size_t wanted = static_cast<size_t>(larger / 8 + 1) * 8;
    if (records_.size() < wanted || records_.size() > wanted + 8) Resize(wanted);
    return records_[static_cast<size_t>(index)];
  }
  Record& operator[](int index) { return Item(index); }

  int Capacity() const { return static_cast<int>(records_.size()); }

  // Resets a slot to the initial record.
  void InitRecord(int index) { Item(index) = initial_; }

  // Fills the spare slot at Count, counts it and initialises the next spare.
  int AppendRecord(const Record& record) {
    if (Count < 0) Count = 0;
    Item(Count) = record;
    ++Count;
    InitRecord(Count);
    return Count - 1;
  }

 protected:
  void Resize(size_t records) {
    records_.resize(records, initial_);
    records_.shrink_to_fit();
  }

  Record initial_;
  std::vector<Record> records_;
};

}  // namespace lumetra::platform
