#include "platform/message_port.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <mutex>
#include <unordered_map>
#include <unistd.h>

namespace lumetra::platform {
namespace {

const QEvent::Type kPostedMessage = static_cast<QEvent::Type>(QEvent::registerEventType());

struct PostedMessage : QEvent {
  PostedMessage(uint32_t m, WParam w, LParam l) : QEvent(kPostedMessage), msg(m), wParam(w), lParam(l) {}
  uint32_t msg;
  WParam wParam;
  LParam lParam;
};

struct HandleTable {
  std::mutex mutex;
  std::unordered_map<WindowHandle, MessagePort*> ports;
  // Start from a per-process base so that a stale handle written by an
  // earlier run is unlikely to name a window of this one.
  WindowHandle next = 0x10000u + ((static_cast<WindowHandle>(getpid()) & 0x7FFFu) << 12);

  WindowHandle Add(MessagePort* port) {
    std::lock_guard lock(mutex);
    WindowHandle h;
    do {
      h = next;
      next += 4;
      if (next < 0x10000u) next = 0x10000u;
    } while (ports.count(h));
    ports[h] = port;
    return h;
  }
  void Remove(WindowHandle h) {
    std::lock_guard lock(mutex);
    ports.erase(h);
  }
  MessagePort* Find(WindowHandle h) {
    std::lock_guard lock(mutex);
    auto it = ports.find(h);
    return it == ports.end() ? nullptr : it->second;
  }
};

HandleTable& Table() {
  static HandleTable table;
  return table;
}

}  // namespace

MessagePort::MessagePort(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)), handle_(Table().Add(this)) {}

MessagePort::~MessagePort() { Table().Remove(handle_); }

LResult MessagePort::Dispatch(uint32_t msg, WParam wParam, LParam lParam) {
  return handler_ ? handler_(msg, wParam, lParam) : 0;
}

bool MessagePort::event(QEvent* e) {
  if (e->type() == kPostedMessage) {
    auto* m = static_cast<PostedMessage*>(e);
    Dispatch(m->msg, m->wParam, m->lParam);
    return true;
  }
  return QObject::event(e);
}

bool PostMessage(WindowHandle window, uint32_t msg, WParam wParam, LParam lParam) {
  // The table lock is held while posting so the port cannot be destroyed
  // between the look-up and the post; Qt discards events of deleted objects.
  HandleTable& table = Table();
  std::lock_guard lock(table.mutex);
  auto it = table.ports.find(window);
  if (it == table.ports.end()) return false;
  QCoreApplication::postEvent(it->second, new PostedMessage(msg, wParam, lParam));
  return true;
}

LResult SendMessage(WindowHandle window, uint32_t msg, WParam wParam, LParam lParam) {
  MessagePort* port = Table().Find(window);
  if (!port) return 0;
  if (port->thread() == QThread::currentThread()) return port->Dispatch(msg, wParam, lParam);
  QPointer<MessagePort> guard(port);
  LResult result = 0;
  QMetaObject::invokeMethod(
      port, [&] { result = guard ? guard->Dispatch(msg, wParam, lParam) : 0; }, Qt::BlockingQueuedConnection);
  return result;
}

bool IsWindow(WindowHandle window) { return Table().Find(window) != nullptr; }

}  // namespace lumetra::platform
