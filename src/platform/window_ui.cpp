#include "platform/window_ui.h"

#include <QWidget>

namespace lumetra::platform {

void ForceForeground(QWidget* window) {
  if (!window) return;
  window->raise();
  window->activateWindow();
}

}  // namespace lumetra::platform
