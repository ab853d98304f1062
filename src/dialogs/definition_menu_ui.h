#pragma once
// What the bar's menu and the bar window call for the definitions: the
// editor "取得ニュースのカスタマイズ", the export window, the import through a
// file dialog, and files dropped on a bar. The file dialogs go through a
// chooser that tests replace.
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace lumetra {

class TNewsExportForm;

// "取得ニュースのカスタマイズ": runs the editor modally for `bar`, selecting
// definition `preselect` first when it is one (message 1425 passes it).
// Nothing opens while the list is empty, the board-list maintenance walk
// runs or the editor is already open. True when the definitions were changed
// (OK pressed).
bool OpenDefinitionEditor(int bar, int preselect = -1);

// "ヘッドラインニュースＵＲＬのエクスポート": the export window (one at a time;
// a second call brings it forward). Marks in the rows are those of `bar`.
TNewsExportForm* OpenExportWindow(int bar = 0);

// "ヘッドラインニュースＵＲＬのインポート": an open dialog in the data folder,
// then the chosen file imported for `bar`. True when a file was chosen.
bool ImportDefinitionFileInteractive(int bar = 0, QWidget* parent = nullptr);

// Files dropped on bar `bar`: each is offered to the definition import and
// the colour-set import, which take the extensions they know. A skin file
// (".NCD") then asks the main window to apply the set to that bar.
void HandleDroppedFiles(int bar, const std::vector<std::string>& paths);

// A file dialog as the program asks for it.
struct FileDialogRequest {
  bool save = false;        // a save dialog (asks before overwriting)
  QString caption;
  QString filter;           // Qt name filter
  QString defaultSuffix;    // added when the name has none
  QString folder;           // where it starts
  QString fileName;         // the name it proposes
};
// The chosen file (UTF-8 path), nothing when cancelled.
using FileChooser = std::function<std::optional<std::string>(QWidget* parent, const FileDialogRequest&)>;
// Replaces the chooser (an empty one restores the real dialogs); returns the previous.
FileChooser SetFileChooser(FileChooser chooser);
std::optional<std::string> ChooseFile(QWidget* parent, const FileDialogRequest& request);

// The filter of definition exchange files.
QString DefinitionFileFilter();

}  // namespace lumetra
