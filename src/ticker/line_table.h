#pragma once
// Which headline lies where in the strip: the trailing end of each visible
// line and its headline index, oldest first. The pointer maps a position back
// to a headline through it.
#include <cstdint>

namespace lumetra {

struct LineTable {
  static constexpr int kCapacity = 20;

  int32_t LineEnds[kCapacity + 1] = {};
  int32_t LineIndexes[kCapacity + 1] = {};
  int32_t LineCount = 0;

  void Clear() { LineCount = 0; }
  // Ignored when the table is full.
  void Append(int32_t end, int32_t index);
  // The strip moved by `by` columns towards its start: lines whose end falls
  // below 1 have left it.
  void Shift(int32_t by);
  // Index of the first line ending beyond `x`, else `fallback`; clamped to
  // 0 ... count - 1.
  int LineAt(int32_t x, int fallback, int count) const;
};

}  // namespace lumetra
