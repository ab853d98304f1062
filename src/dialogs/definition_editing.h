#pragma once
// The plain side of the news definition editor "取得ニュースのカスタマイズ":
// row captions, the rules by which an edit is written into the selected
// records, and the list bookkeeping of adding, duplicating, deleting and
// moving definitions while the bars keep pointing at the definitions they
// show. The dialog (news_edit_form_ui.h) only calls these.
#include <QRect>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/bar_table.h"
#include "definitions/news_definition.h"

namespace lumetra {

// Process-wide state of the editor.
struct DefinitionEditorState {
  bool EditorOpen = false;          // from the end of its creation until it closes
  bool DefinitionsChanged = false;  // cleared at opening, set by OK
  int PreselectIndex = -1;          // row to select at opening (message 1425 only)
};
DefinitionEditorState& definitionEditor();

// What the editor asks of the bar windows. The bar window library fills
// these in when it exists; until then no bar exists and the calls do nothing.
struct EditorBarCalls {
  std::function<bool(int bar)> barExists;
  std::function<void(int bar)> makeCurrentBar;       // the bar becomes the current bar
  std::function<void(int bar)> showDefinitionAgain;  // after OK
  std::function<bool()> maintenanceWalkRunning;      // the board-list maintenance walk
};
// Returns the calls installed before.
EditorBarCalls InstallEditorBarCalls(EditorBarCalls calls);
bool BarExists(int bar);
void MakeCurrentBar(int bar);
bool MaintenanceWalkRunning();

// The definition a bar shows: bar 0 keeps it in the list's CurrentIndex,
// bars 1-5 in their slot of the bar table. Any other number means bar 0.
int& BarDefinition(int bar);

// Row caption of definition `index`: "No." and the index padded to six
// characters when numbered, the state mark (against `current`, the bar's
// definition), the patrol mark, the plug-in mark, then the title. A search
// definition loses HasNew, Seen and Patrol here.
std::string DefinitionCaption(TIPlist5& list, int current, bool numbered, int index);

// "12" and "12 whatever" give 12; "12a", "" and numbers outside 32 bits give nothing.
std::optional<int> ParseWholeNumber(std::string_view text);

enum class EditField {
  Url, Title, MainUrl, StartMarker, EndMarker,  // texts
  GroupId, MinChars, TableCellsX, TableCellsY,  // numbers
  Category, StartTag, EndTag, Region, Channel,  // choices (Category by code)
  ShowInMenu, Patrol, AlwaysFetch, Favourite, UseCookie, BoardMode, FetchTitle, Rss, PluginAnalysis,  // flags
  Encoding, TableMode,                          // values of exclusive boxes
};

// Whether an edit of `field` is written into `d`: sponsored definitions take
// only the patrol choices and the cell counts, plug-in definitions keep
// their address, markers and tags, and the plug-in analysis flag exists only
// for them.
bool FieldWritesRecord(EditField field, const NewsDefinition& d);
// Whether writing `field` makes the next fetch of the site count as new.
bool FieldResetsLastModified(EditField field);

// Each writes into the records of `rows` that take the field and returns the
// rows written. Texts are program text, cut to the field. Numbers out of
// their range and unknown choices write nothing.
std::vector<int> ApplyText(TIPlist5& list, const std::vector<int>& rows, EditField field, std::string_view text);
std::vector<int> ApplyValue(TIPlist5& list, const std::vector<int>& rows, EditField field, int value);
// A number field's text; nothing when the text is not taken (see ParseWholeNumber
// and the ranges: MinChars 0-255, TableCellsX 0-99, TableCellsY 1-99).
std::optional<std::vector<int>> ApplyNumber(TIPlist5& list, const std::vector<int>& rows, EditField field,
                                            std::string_view text);

// The encoding the boxes "EUC", "ＪＩＳ", "UTF-8" and the hidden "Unicode" stand for.
int EncodingFromBoxes(bool euc, bool jis, bool utf8, bool unicode);

// "追加↓": the form's contents written into every selected row, field by
// field under the same rules as single edits. A choice list without a
// selection is left out.
struct FormContents {
  std::string url, title, startMarker, endMarker;
  bool showInMenu = true, patrol = true, alwaysFetch = false, useCookie = false, favourite = false,
       boardMode = false;
  int encoding = 0;
  std::optional<int> category, region, channel, startTag, endTag;
};
std::vector<int> ApplyForm(TIPlist5& list, const std::vector<int>& rows, const FormContents& form);

// Where a window goes when it lies wholly beside or above/below its monitor:
// back to the monitor's left (or top) edge.
QRect KeepOnMonitor(const QRect& window, const QRect& monitor);

// One opening of the editor, from its creation to its close. The rows of the
// dialog are the definitions of the list, index for index, once the
// generated board definitions have been moved to the holding list.
class DefinitionEditSession {
 public:
  // Opening: DefinitionsChanged cleared, the list saved to "NewsUrl.USR"
  // (what Cancel returns to), the generated board definitions held back,
  // EditorOpen set. `bar` is the bar that opened the editor.
  explicit DefinitionEditSession(int bar, TIPlist5& list = NewsList(), TIPlist5& holding = HoldingList());
  ~DefinitionEditSession();
  DefinitionEditSession(const DefinitionEditSession&) = delete;
  DefinitionEditSession& operator=(const DefinitionEditSession&) = delete;

  TIPlist5& List() { return list_; }
  int Bar() const { return bar_; }
  int Rows() const { return list_.Count; }
  // The definition the opening bar shows (0 when that bar does not exist).
  int BarCurrent() const;
  // The row to select first: a valid `preselect`, else the bar's definition, else 0.
  int InitialRow(int preselect) const;
  std::string Caption(int row) { return DefinitionCaption(list_, BarCurrent(), true, row); }

  // A row became the one the controls show: its next fetch counts as new.
  void Selected(int row);
  // "新規": a fresh definition at the end; returns its row.
  int New();
  // "複製": a copy of `row` inserted after it; its row, or -1 when refused
  // (sponsored, or no such row).
  int Duplicate(int row);
  // "削除": removes the rows that are not sponsored. Returns the row to
  // select afterwards, -1 when no definition is left.
  int Delete(const std::vector<int>& rows);
  // "↑" / "↓": the selected rows move one place; returns the rows they now
  // hold (empty when nothing moved). The bars keep showing the same definitions.
  std::vector<int> MoveUp(const std::vector<int>& rows);
  std::vector<int> MoveDown(const std::vector<int>& rows);

  // Closing, once. OK: the held definitions appended again, the list saved and
  // backed up, the menus marked for rebuilding, DefinitionsChanged set and the
  // bar told to show its definition again. Otherwise the list (and the bars'
  // definitions) as they were at opening. EditorOpen is cleared either way.
  void Finish(bool accepted);
  bool Finished() const { return finished_; }

 private:
  using Adjust = std::function<int(int)>;
  // Applies an index change to every bar's definition and to the values the
  // bars showing a held definition were given meanwhile.
  void AdjustBars(const Adjust& adjust);
  void Swap(int a, int b);
  void HoldBoardDefinitions();
  void RestoreOpeningState();
  std::array<int*, kBarCount> BarSlots();
  // The row of a definition index from before the board definitions were
  // held back; -1 for a held one.
  int RowOfOpeningIndex(int index) const;

  TIPlist5& list_;
  TIPlist5& holding_;
  int bar_;
  bool finished_ = false;
  bool savedAtOpening_ = false;
  TIPlist5 snapshot_;                    // the list as it was at opening
  std::array<int, kBarCount> barsAtOpening_{};
  struct HeldBar {
    int bar;
    int holdingIndex;
    int meanwhile;  // the index the bar shows while its definition is held
  };
  std::vector<HeldBar> heldBars_;
  std::vector<int> heldIndexes_;  // where the held definitions stood, ascending
};

}  // namespace lumetra
