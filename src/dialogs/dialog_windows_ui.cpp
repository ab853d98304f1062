#include "dialogs/dialog_windows_ui.h"

#include "definitions/news_definition.h"
#include "dialogs/definition_editing.h"
#include "dialogs/definition_menu_ui.h"

namespace lumetra {
namespace {

class DialogWindows final : public DialogsPort {
 public:
  bool AboutAvailable() const override { return false; }
  void ShowAbout() override {}
  bool OptionsAvailable() const override { return false; }
  bool OptionsOpen() const override { return false; }
  void FocusOptions() override {}
  void OpenOptions(int) override {}
  bool DefinitionEditorOpen() const override { return definitionEditor().EditorOpen; }
  // Another program asks (message 1425): the first bar that exists opens
  // the editor on that definition.
  bool EditDefinition(int index) override {
    if (definitionEditor().EditorOpen || index < 0 || index >= NewsList().Count) return false;
    int bar = 0;
    for (int b = 0; b < kBarCount; ++b)
      if (BarExists(b)) {
        bar = b;
        break;
      }
    return OpenDefinitionEditor(bar, index);
  }
  void OpenColourEditor(int) override {}
};

}  // namespace

std::unique_ptr<DialogsPort> MakeDialogWindows() { return std::make_unique<DialogWindows>(); }

}  // namespace lumetra
