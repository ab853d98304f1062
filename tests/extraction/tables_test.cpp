// Table mode: the cells of a table regrouped into headlines along its rows
// (horizontal) or down its columns (vertical).
#include <gtest/gtest.h>

#include "extraction/table_cells.h"
#include "extraction_fixture.h"

namespace lumetra::test {
namespace {

const char* const kNumbers[] = {"一", "二", "三", "四", "五"};
const std::string kDir = "http://news.example.jp/top/";

std::string CellText(int r, int c) { return std::string(kNumbers[r]) + "行" + kNumbers[c] + "列のセル"; }

// A 3 x 4 table; the cells of the first row and of the second column are
// links. `oneLine` writes the whole table on one line.
std::string Table3x4(bool oneLine) {
  const std::string nl = oneLine ? "" : "\n";
  std::string page = "<p>表の前の文</p>" + nl + "<table class=\"news\">" + nl;
  for (int r = 0; r < 3; ++r) {
    page += "<tr>" + nl;
    for (int c = 0; c < 4; ++c) {
      if (r == 0 || c == 1)
        page += "<td><a href=\"r" + std::to_string(r + 1) + "c" + std::to_string(c + 1) + ".html\">" + CellText(r, c) +
                "</a></td>" + nl;
      else
        page += "<td class=\"x\">" + CellText(r, c) + "</td>" + nl;
    }
    page += "</tr>" + nl;
  }
  return page + "</table>" + nl + "<p>表の後の文</p>\n";
}

std::string Link(int r, int c) { return kDir + "r" + std::to_string(r + 1) + "c" + std::to_string(c + 1) + ".html"; }

struct GridCase {
  const char* name;
  int mode;
  int count;
  std::vector<Shown> expected;
};

class Tables : public ExtractionTest {
 protected:
  std::vector<Shown> Parse(const std::string& page, int mode, int count, int endTag = 0) {
    for (int bar = 0; bar < kBarSlots; ++bar) barHeadlines(bar) = BarHeadlines();
    return ParsePage(SJ(page), [&](NewsDefinition& d) {
      d.TableMode = static_cast<uint8_t>(mode);
      d.TableCellsX = static_cast<uint8_t>(count);
      d.TableCellsY = static_cast<uint8_t>(count);
      d.EndTag = static_cast<uint8_t>(endTag);
    });
  }
};

TEST_F(Tables, ThreeByFourInBothModes) {
  auto cells = [](std::initializer_list<std::pair<int, int>> at) {
    std::string text;
    for (auto [r, c] : at) text += CellText(r, c);
    return text;
  };
  const std::vector<GridCase> cases = {
      {"horizontal, 2 cells: cells 1+2 and 3+4 of each row", 1, 2,
       {{cells({{0, 0}, {0, 1}}), Link(0, 0)}, {cells({{0, 2}, {0, 3}}), Link(0, 2)},
        {cells({{1, 0}, {1, 1}}), Link(1, 1)}, {cells({{1, 2}, {1, 3}}), ""},
        {cells({{2, 0}, {2, 1}}), Link(2, 1)}, {cells({{2, 2}, {2, 3}}), ""}}},
      {"horizontal, 3 cells: every fourth cell is dropped", 1, 3,
       {{cells({{0, 0}, {0, 1}, {0, 2}}), Link(0, 0)}, {cells({{1, 0}, {1, 1}, {1, 2}}), Link(1, 1)},
        {cells({{2, 0}, {2, 1}, {2, 2}}), Link(2, 1)}}},
      {"horizontal, 1 cell: one headline per cell", 1, 1,
       {{CellText(0, 0), Link(0, 0)}, {CellText(0, 1), Link(0, 1)}, {CellText(0, 2), Link(0, 2)},
        {CellText(0, 3), Link(0, 3)}, {CellText(1, 0), ""}, {CellText(1, 1), Link(1, 1)},
        {CellText(1, 2), ""}, {CellText(1, 3), ""}, {CellText(2, 0), ""},
        {CellText(2, 1), Link(2, 1)}, {CellText(2, 2), ""}, {CellText(2, 3), ""}}},
      {"horizontal, 0 cells: one headline per row", 1, 0,
       {{cells({{0, 0}, {0, 1}, {0, 2}, {0, 3}}), Link(0, 0)}, {cells({{1, 0}, {1, 1}, {1, 2}, {1, 3}}), Link(1, 1)},
        {cells({{2, 0}, {2, 1}, {2, 2}, {2, 3}}), Link(2, 1)}}},
      {"vertical, 3 cells: one headline per column, top to bottom", 2, 3,
       {{cells({{0, 0}, {1, 0}, {2, 0}}), Link(0, 0)}, {cells({{0, 1}, {1, 1}, {2, 1}}), Link(0, 1)},
        {cells({{0, 2}, {1, 2}, {2, 2}}), Link(0, 2)}, {cells({{0, 3}, {1, 3}, {2, 3}}), Link(0, 3)}}},
      {"vertical, 2 cells: the third cell of each column is dropped", 2, 2,
       {{cells({{0, 0}, {1, 0}}), Link(0, 0)}, {cells({{0, 1}, {1, 1}}), Link(0, 1)},
        {cells({{0, 2}, {1, 2}}), Link(0, 2)}, {cells({{0, 3}, {1, 3}}), Link(0, 3)}}},
  };
  for (const GridCase& c : cases) {
    for (bool oneLine : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (oneLine ? " (one line)" : ""));
      EXPECT_EQ(Parse(Table3x4(oneLine), c.mode, c.count), c.expected);
    }
  }
}

TEST_F(Tables, RowsColumnsAndNesting) {
  // A row that ends while its last cell is open loses that cell, but counts.
  EXPECT_EQ(Parse("<table>\n<tr><td>一行目の左のセル</td><td>一行目の右のセル</td></tr>\n"
                  "<tr><td>二行目の左のセル</td><td>閉じられないセル</tr>\n</table>",
                  1, 2),
            (std::vector<Shown>{{"一行目の左のセル一行目の右のセル", ""}, {"二行目の左のセル", ""}}));
  // The column count comes from the first row: a longer row spills over.
  EXPECT_EQ(Parse("<table><tr><td>左上のセル</td><td>右上のセル</td></tr>"
                  "<tr><td>左下のセル</td><td>中下のセル</td><td>はみ出すセル</td></tr></table>",
                  1, 2),
            (std::vector<Shown>{{"左上のセル右上のセル", ""}, {"左下のセル中下のセル", ""}}));
  // A nested table's cells join the grid; only the outermost close emits.
  EXPECT_EQ(Parse("<table><tr><td>外側のセルです</td><td>\n<table><tr><td>内側の一つ目</td><td>内側の二つ目</td></tr></table>\n"
                  "</td></tr></table>",
                  1, 0),
            (std::vector<Shown>{{"外側のセルです内側の一つ目内側の二つ目", ""}}));
  // Joined cells too short for a headline are not emitted; with an end tag
  // other than "</a>" 4 bytes are enough.
  const std::string tiny = "<table><tr><td>晴れ</td><td>雨</td></tr><tr><td>曇り</td><td>雪</td></tr></table>";
  EXPECT_EQ(Parse(tiny, 1, 2), std::vector<Shown>{});
  EXPECT_EQ(Parse(tiny, 1, 2, 4), (std::vector<Shown>{{"晴れ雨", ""}, {"曇り雪", ""}}));
  // A stray closing tag does not emit the table a second time.
  EXPECT_EQ(Parse("<table><tr><td>ただ一つのセルの見出し</td></tr></table></table>", 1, 1),
            (std::vector<Shown>{{"ただ一つのセルの見出し", ""}}));
}

TEST(TableCells, StorageGrowsInStepsOfEightAndReadsEmptyBeyondTheCells) {
  TTBLarray cells;
  EXPECT_EQ(cells.Capacity(), 8);
  cells.Item(8).Text = "x";
  EXPECT_EQ(cells.Capacity(), 16);
  cells.HighWater = 20;
  cells.Item(0);
  EXPECT_EQ(cells.Capacity(), 24);
  cells.Item(-5).Text = "first";
  EXPECT_EQ(cells.Item(0).Text, "first");
  cells.Count = 1;
  EXPECT_EQ(cells.Read(0).Text, "first");
  EXPECT_EQ(cells.Read(8).Text, "");  // beyond Count
  cells.Clear(0);
  EXPECT_EQ(cells.Read(0).Text, "");
  cells.Item(1 << 30);  // clamped, not allocated
  EXPECT_LE(cells.Capacity(), TTBLarray::kMaxIndex + 16);
}

}  // namespace
}  // namespace lumetra::test
