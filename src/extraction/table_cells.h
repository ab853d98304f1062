#pragma once
// Table mode: the cells of the outermost table in the headline area, kept
// per bar in TTBLarray, and their regrouping into headlines along each row
// (horizontal) or down each column (vertical).
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumetra {

inline constexpr size_t kCellTextLimit = 255;

struct TableCell {
  std::string Text;     // at most 255 bytes
  std::string Address;  // at most 255 bytes
};

// The growable cell array of a bar. Item grows the storage in steps of 8
// past the larger of the index and the high-water mark (as the record lists
// do); indexes are clamped so that a damaged index cannot allocate without
// bound.
class TTBLarray {
 public:
  static constexpr int kMaxIndex = 1 << 18;  // far above what a parse can store

  TableCell& Item(int index);
  void Clear(int index);  // empties text and address of one cell
  int Capacity() const { return static_cast<int>(cells_.size()); }
  // The cell at `index`, or an empty one at or beyond Count.
  const TableCell& Read(int index) const;

  int HighWater = 0;
  int Count = 0;

 private:
  std::vector<TableCell> cells_ = std::vector<TableCell>(8);
};

// The table state of a bar during a parse.
struct TableState {
  int Depth = 0;
  bool Open = false;
  int Columns = 0;
  int Rows = 0;
  TTBLarray Cells;
};

// Emits the grid of `table` in `mode` (1 horizontal, 2 vertical), `count`
// cells to one headline (TableCellsX or TableCellsY). A headline is emitted
// when its last cell is reached and its text is not empty; text left at the
// end of a row (column) is dropped. A count of 0 makes every row (column)
// one headline.
void EmitTableGrid(const TableState& table, int mode, int count,
                   const std::function<void(const std::string& text, const std::string& address)>& emit);

}  // namespace lumetra
