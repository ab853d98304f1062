#include "extraction/table_cells.h"

#include <algorithm>

namespace lumetra {

TableCell& TTBLarray::Item(int index) {
  index = std::clamp(index, 0, kMaxIndex);
  const int larger = std::max(index, HighWater);
  const size_t wanted = static_cast<size_t>(larger / 8 + 1) * 8;
  if (cells_.size() < wanted || cells_.size() > wanted + 8) cells_.resize(wanted);
  return cells_[static_cast<size_t>(index)];
}

void TTBLarray::Clear(int index) {
  TableCell& c = Item(index);
  c.Text.clear();
  c.Address.clear();
}

const TableCell& TTBLarray::Read(int index) const {
  static const TableCell empty;
  if (index < 0 || index >= Count || static_cast<size_t>(index) >= cells_.size()) return empty;
  return cells_[static_cast<size_t>(index)];
}

void EmitTableGrid(const TableState& table, int mode, int count,
                   const std::function<void(const std::string&, const std::string&)>& emit) {
  const int columns = table.Columns, rows = table.Rows, stored = table.Cells.Count;
  if (columns <= 0 || rows <= 0 || stored <= 0) return;
  const bool horizontal = mode == 1;
  // Outer lines are rows (horizontal) or columns (vertical). Cells past the
  // stored ones read empty, so the walk ends where they begin.
  // Rows past the stored cells read empty; a group still open there ends
  // within `count` of them.
  const int rowsWithCells = (stored + columns - 1) / columns;
  const int outer = horizontal ? std::min(rows, rowsWithCells) : columns;
  const int inner = horizontal ? columns : std::min(rows, rowsWithCells + std::max(count, 1));
  for (int o = 0; o < outer; ++o) {
    std::string text, address;
    for (int i = 0; i < inner; ++i) {
      const long long index = horizontal ? static_cast<long long>(o) * columns + i : static_cast<long long>(i) * columns + o;
      const TableCell& cell = table.Cells.Read(index < stored ? static_cast<int>(index) : -1);
      text += cell.Text;
      if (address.empty()) address = cell.Address;
      if (count > 0 && (i + 1) % count == 0 && !text.empty()) {
        emit(text, address);
        text.clear();
        address.clear();
      }
    }
    if (count == 0 && !text.empty()) emit(text, address);
  }
}

}  // namespace lumetra
