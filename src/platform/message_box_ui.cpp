#include "platform/message_box_ui.h"

#include <QMessageBox>

#include "platform/sjis_text.h"
#include "platform/user_prompt.h"

namespace lumetra::platform {

void InstallMessageBoxPrompts() {
  SetPromptHandler([](const PromptRequest& request) {
    QMessageBox box;
    box.setWindowTitle(request.caption.empty() ? QString(kApplicationTitle) : SjisToQString(request.caption));
    box.setText(SjisToQString(request.text));
    switch (request.icon) {
      case PromptIcon::None: box.setIcon(QMessageBox::NoIcon); break;
      case PromptIcon::Information: box.setIcon(QMessageBox::Information); break;
      case PromptIcon::Warning: box.setIcon(QMessageBox::Warning); break;
      case PromptIcon::Error: box.setIcon(QMessageBox::Critical); break;
      case PromptIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    QMessageBox::StandardButtons buttons;
    switch (request.buttons) {
      case PromptButtons::Ok: buttons = QMessageBox::Ok; break;
      case PromptButtons::OkCancel: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
      case PromptButtons::YesNo: buttons = QMessageBox::Yes | QMessageBox::No; break;
      case PromptButtons::YesNoCancel: buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    }
    box.setStandardButtons(buttons);
    switch (box.exec()) {
      case QMessageBox::Yes: return PromptAnswer::Yes;
      case QMessageBox::No: return PromptAnswer::No;
      case QMessageBox::Cancel: return PromptAnswer::Cancel;
      default: return PromptAnswer::Ok;
    }
  });
}

}  // namespace lumetra::platform
