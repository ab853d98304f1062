#include "platform/foreground_ui.h"

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace lumetra::platform {
namespace {

struct X11 {
  xcb_connection_t* connection = nullptr;
  xcb_window_t root = 0;
  xcb_atom_t activeWindow = 0;
};

X11 Desktop() {
  X11 x;
  auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  auto* native = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!native || !native->connection()) return x;
  x.connection = native->connection();
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(x.connection));
  if (!screens.rem) return {};
  x.root = screens.data->root;
  const char name[] = "_NET_ACTIVE_WINDOW";
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
      xcb_intern_atom_reply(x.connection, xcb_intern_atom(x.connection, 0, sizeof name - 1, name), nullptr),
      &std::free);
  if (!atom) return {};
  x.activeWindow = atom->atom;
  return x;
}

}  // namespace

NativeWindowId ForegroundWindow() {
  X11 x = Desktop();
  if (!x.connection) return 0;
  std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
      xcb_get_property_reply(
          x.connection, xcb_get_property(x.connection, 0, x.root, x.activeWindow, XCB_ATOM_WINDOW, 0, 1), nullptr),
      &std::free);
  if (!reply || xcb_get_property_value_length(reply.get()) < 4) return 0;
  xcb_window_t window;
  std::memcpy(&window, xcb_get_property_value(reply.get()), 4);
  return window;
}

void GiveForeground(NativeWindowId window) {
  X11 x = Desktop();
  if (!x.connection || window == 0) return;
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = static_cast<xcb_window_t>(window);
  event.type = x.activeWindow;
  event.data.data32[0] = 2;  // a request on the user's behalf, which window managers honour
  event.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(x.connection, 0, x.root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
  xcb_flush(x.connection);
}

}  // namespace lumetra::platform
