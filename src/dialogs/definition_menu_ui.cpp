#include "dialogs/definition_menu_ui.h"

#include <QFileDialog>
#include <QPointer>

#include "app/app_state.h"
#include "app/main_window_calls.h"
#include "app/messages.h"
#include "definitions/definition_exchange.h"
#include "dialogs/definition_editing.h"
#include "dialogs/news_edit_form_ui.h"
#include "dialogs/news_export_form_ui.h"
#include "platform/window_ui.h"

namespace lumetra {

namespace {

FileChooser& Chooser() {
  static FileChooser chooser;
  return chooser;
}

std::optional<std::string> RealFileDialog(QWidget* parent, const FileDialogRequest& request) {
  QFileDialog dialog(parent, request.caption, request.folder, request.filter);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

QPointer<TNewsExportForm>& ExportWindow() {
  static QPointer<TNewsExportForm> window;
  return window;
}

}  // namespace

FileChooser SetFileChooser(FileChooser chooser) {
  FileChooser previous = std::move(Chooser());
  Chooser() = std::move(chooser);
  return previous;
}

std::optional<std::string> ChooseFile(QWidget* parent, const FileDialogRequest& request) {
  return Chooser() ? Chooser()(parent, request) : RealFileDialog(parent, request);
}

QString DefinitionFileFilter() {
  // The files are written in capitals; other programs may have used lower case.
  return QStringLiteral(u"ヘッドラインニュースＵＲＬデータ (*.NUD *.nud)");
}

bool OpenDefinitionEditor(int bar, int preselect) {
  DefinitionEditorState& state = definitionEditor();
  if (NewsList().Count <= 0 || MaintenanceWalkRunning() || state.EditorOpen) return false;
  if (bar < 0 || bar >= kBarCount) bar = 0;
  MakeCurrentBar(bar);
  state.PreselectIndex = preselect >= 0 && preselect < NewsList().Count ? preselect : -1;
  {
    TNewsEditForm form(bar);
    form.exec();
  }
  state.PreselectIndex = -1;
  return state.DefinitionsChanged;
}

TNewsExportForm* OpenExportWindow(int bar) {
  QPointer<TNewsExportForm>& window = ExportWindow();
  if (!window) {
    window = new TNewsExportForm(bar);
    window->setAttribute(Qt::WA_DeleteOnClose);
  }
  window->show();
  platform::ForceForeground(window);
  return window;
}

bool ImportDefinitionFileInteractive(int bar, QWidget* parent) {
  FileDialogRequest request;
  request.filter = DefinitionFileFilter();
  request.defaultSuffix = QStringLiteral("NUD");
  request.folder = QString::fromStdString(app().DataFolder);
  request.fileName = QStringLiteral("*.NUD");
  std::optional<std::string> path = ChooseFile(parent, request);
  if (!path) return false;
  ImportDefinitions(*path, kImportUser, bar);
  return true;
}

void HandleDroppedFiles(int bar, const std::vector<std::string>& paths) {
  if (bar < 0 || bar >= kBarCount) bar = 0;
  for (const std::string& path : paths) {
    ImportDefinitions(path, kImportUser, bar);
    const ColourImportResult colours = ImportColours(path, bar);
    // The drop landed on this bar, so it is visible: it takes the skin at once.
    if (colours.imported > 0 && colours.withPictures)
      platform::PostMessage(MainWindowHandle(), UM_OPENBAR, static_cast<platform::WParam>(bar), colours.lastIndex);
  }
}

}  // namespace lumetra
