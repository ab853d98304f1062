#pragma once
// Window handles and private messages. Every window that receives messages
// owns a MessagePort; the port has a 32-bit handle from a process-wide table.
// Posting queues an event for the port; a message for a handle whose window is
// gone is dropped, never delivered to a dangling object.
#include <QObject>
#include <cstdint>
#include <functional>

namespace lumetra::platform {

using WindowHandle = uint32_t;
using WParam = uintptr_t;
using LParam = intptr_t;
using LResult = intptr_t;

// System messages the program exchanges besides its own WM_USER range.
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUERYENDSESSION = 0x0011;
constexpr uint32_t WM_ENDSESSION = 0x0016;
constexpr uint32_t WM_COPYDATA = 0x004A;
constexpr uint32_t WM_HOTKEY = 0x0312;
constexpr uint32_t WM_USER = 0x0400;

// Payload of WM_COPYDATA; lParam points at it for the duration of the send.
struct CopyData {
  uintptr_t dwData = 0;
  uint32_t cbData = 0;
  const void* lpData = nullptr;
};

class MessagePort : public QObject {
 public:
  using Handler = std::function<LResult(uint32_t msg, WParam wParam, LParam lParam)>;

  explicit MessagePort(Handler handler, QObject* parent = nullptr);
  ~MessagePort() override;
  MessagePort(const MessagePort&) = delete;
  MessagePort& operator=(const MessagePort&) = delete;

  WindowHandle Handle() const { return handle_; }
  // Calls the handler directly (used for sends on the owning thread).
  LResult Dispatch(uint32_t msg, WParam wParam, LParam lParam);

 protected:
  bool event(QEvent* e) override;

 private:
  Handler handler_;
  WindowHandle handle_;
};

// false when the handle names no window.
bool PostMessage(WindowHandle window, uint32_t msg, WParam wParam, LParam lParam);
// Runs the handler and returns its answer; 0 when the handle names no window.
// From another thread the caller blocks until the owning thread has run it.
LResult SendMessage(WindowHandle window, uint32_t msg, WParam wParam, LParam lParam);
bool IsWindow(WindowHandle window);

}  // namespace lumetra::platform
