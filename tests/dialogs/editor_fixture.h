#pragma once
// A definition list with the kinds the editor treats apart (sponsored,
// plug-in, generated board definitions, the user's board), bars that can be
// told to exist, and helpers to compare lists.
#include <set>
#include <string>
#include <vector>

#include "definitions/default_set.h"
#include "definitions/fixture.h"
#include "dialogs/definition_editing.h"

namespace lumetra::test {

class EditorTest : public DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    definitionEditor() = DefinitionEditorState{};
    previousCalls_ = InstallEditorBarCalls({
        [this](int bar) { return existing.count(bar) > 0; },
        [this](int bar) { madeCurrent.push_back(bar); },
        [this](int bar) { shownAgain.push_back(bar); },
        [this] { return walking; },
    });
  }
  void TearDown() override {
    InstallEditorBarCalls(std::move(previousCalls_));
    DataFolderTest::TearDown();
  }

  // Rows 0-9: "Site 0" ... with row 2 sponsored, row 4 a plug-in definition,
  // rows 6 and 8 generated board definitions, row 7 the user's own board.
  void MakeList() {
    TIPlist5& list = NewsList();
    for (int i = 0; i < 10; ++i) {
      NewsDefinition d = Definition("Site " + std::to_string(i), "http://site" + std::to_string(i) + ".example/");
      d.LastModified = 45000 + i;
      d.Category = 1;
      list.Append(d);
    }
    list.Item(2).Sponsor = 5;
    list.Item(2).Category = 23;
    list.Item(4).PluginDefinition = 1;
    SetFieldText(list.Item(4).StartMarker, "/usr/lib/lumetra/plugin.so");
    for (int i : {6, 7, 8}) {
      list.Item(i).Category = kCategoryBoard;
      list.Item(i).BoardMode = 1;
      list.Item(i).GroupId = i == 7 ? kBoardGroupId : 3;
    }
    list.CurrentIndex = 3;
  }

  std::string DefinitionsFile() const { return data + "/" + kDefinitionsFile; }

  // The titles of the list in order.
  static std::vector<std::string> Titles(TIPlist5& list) {
    std::vector<std::string> titles;
    for (int i = 0; i < list.Count; ++i) titles.push_back(FieldText(list.Item(i).Title));
    return titles;
  }
  // Equal records (Salt and the sponsor's value renew at every save) in the same order.
  static bool SameList(TIPlist5& a, TIPlist5& b) {
    if (a.Count != b.Count) return false;
    for (int i = 0; i < a.Count; ++i)
      if (!SameDefinition(a.Item(i), b.Item(i))) return false;
    return true;
  }

  std::set<int> existing;  // bars that exist
  std::vector<int> madeCurrent, shownAgain;
  bool walking = false;

 private:
  EditorBarCalls previousCalls_;
};

}  // namespace lumetra::test
