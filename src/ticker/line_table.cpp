#include "ticker/line_table.h"

#include <algorithm>

namespace lumetra {

void LineTable::Append(int32_t end, int32_t index) {
  if (LineCount >= kCapacity) return;
  LineEnds[LineCount] = end;
  LineIndexes[LineCount] = index;
  ++LineCount;
}

void LineTable::Shift(int32_t by) {
  int kept = 0;
  for (int i = 0; i < LineCount; ++i) {
    const int32_t end = LineEnds[i] - by;
    if (end < 1) continue;
    LineEnds[kept] = end;
    LineIndexes[kept] = LineIndexes[i];
    ++kept;
  }
  LineCount = kept;
}

int LineTable::LineAt(int32_t x, int fallback, int count) const {
  int index = fallback;
  for (int i = 0; i < LineCount; ++i)
    if (LineEnds[i] > x) {
      index = LineIndexes[i];
      break;
    }
  if (index > count - 1) index = count - 1;
  return std::max(index, 0);
}

}  // namespace lumetra
