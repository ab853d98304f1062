#pragma once
// Messages between copies of the program (and from other programs) travel over
// a local socket named after the receiving window's handle in the per-user
// runtime folder. A frame is: message (u32), wParam (u64), lParam (i64),
// payload length (u32), payload; the answer is the handler's result (i64).
// For WM_COPYDATA the lParam field carries dwData and the payload is the data.
#include <QObject>
#include <optional>
#include <string>

#include "platform/message_port.h"

class QLocalServer;

namespace lumetra::platform {

std::string HandoffSocketPath(const std::string& runtimeFolder, WindowHandle window);

// Listens for frames addressed to `window` and sends each to it.
class HandoffServer : public QObject {
 public:
  HandoffServer(const std::string& runtimeFolder, WindowHandle window, QObject* parent = nullptr);
  ~HandoffServer() override;
  bool Listening() const;

 private:
  void OnConnection();
  QLocalServer* server_;
  WindowHandle window_;
};

// Sends one message to the copy whose main window is `window`. nullopt when no
// such copy answers within the time limit.
std::optional<LResult> SendToRunningCopy(const std::string& runtimeFolder, WindowHandle window, uint32_t msg,
                                         WParam wParam, LParam lParam, const std::string& payload = {},
                                         int timeoutMs = 5000);

}  // namespace lumetra::platform
