#include "platform/app_bar_ui.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <xcb/xcb.h>

namespace lumetra::platform {
namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_connection_t* Connection() {
  auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  auto* x11 = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

xcb_window_t Root(xcb_connection_t* c) {
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
  return screens.rem ? screens.data->root : 0;
}

xcb_atom_t Atom(xcb_connection_t* c, std::string_view name) {
  Reply<xcb_intern_atom_reply_t> reply(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr),
      &std::free);
  return reply ? reply->atom : 0;
}

// The window's X id; 0 when there is no X11 window (yet).
xcb_window_t WindowOf(QWidget* w) {
  if (!w || !Connection()) return 0;
  return static_cast<xcb_window_t>(w->winId());
}

double Scale(QWidget* w) { return w ? w->devicePixelRatioF() : 1.0; }

std::vector<uint32_t> ReadCardinals(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                                    uint32_t maxLength) {
  Reply<xcb_get_property_reply_t> reply(
      xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, maxLength), nullptr), &std::free);
  std::vector<uint32_t> values;
  if (!reply || reply->format != 32) return values;
  const int n = xcb_get_property_value_length(reply.get()) / 4;
  values.resize(static_cast<size_t>(n));
  std::memcpy(values.data(), xcb_get_property_value(reply.get()), static_cast<size_t>(n) * 4);
  return values;
}

}  // namespace

bool AppBarsAvailable() { return Connection() != nullptr; }

QSize DesktopRootSize() {
  xcb_connection_t* c = Connection();
  if (!c) return {};
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
  if (!screens.rem) return {};
  const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
  return QSize(static_cast<int>(screens.data->width_in_pixels / ratio),
               static_cast<int>(screens.data->height_in_pixels / ratio));
}

void SetDockReservation(QWidget* window, DockEdge edge, const QRect& bar) {
  const xcb_window_t id = WindowOf(window);
  if (!id) return;
  xcb_connection_t* c = Connection();
  const double s = Scale(window);
  const QRect physical(static_cast<int>(bar.x() * s), static_cast<int>(bar.y() * s),
                       static_cast<int>(bar.width() * s), static_cast<int>(bar.height() * s));
  const QSize logicalRoot = DesktopRootSize();
  const QSize root(static_cast<int>(logicalRoot.width() * s), static_cast<int>(logicalRoot.height() * s));
  const std::array<uint32_t, 12> values = StrutForDockedBar(edge, physical, root).Values();
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, Atom(c, "_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL, 32, 12,
                      values.data());
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, Atom(c, "_NET_WM_STRUT"), XCB_ATOM_CARDINAL, 32, 4,
                      values.data());
  xcb_flush(c);
}

void ClearDockReservation(QWidget* window) {
  const xcb_window_t id = WindowOf(window);
  if (!id) return;
  xcb_connection_t* c = Connection();
  xcb_delete_property(c, id, Atom(c, "_NET_WM_STRUT_PARTIAL"));
  xcb_delete_property(c, id, Atom(c, "_NET_WM_STRUT"));
  xcb_flush(c);
}

void SetDockWindowType(QWidget* window, bool dock) {
  const xcb_window_t id = WindowOf(window);
  if (!id) return;
  xcb_connection_t* c = Connection();
  // Qt keeps the types it finds on the window when it sets its own later,
  // so the dock type survives flag changes; the tool type stays behind it.
  std::vector<xcb_atom_t> types;
  if (dock) types.push_back(Atom(c, "_NET_WM_WINDOW_TYPE_DOCK"));
  types.push_back(Atom(c, "_NET_WM_WINDOW_TYPE_UTILITY"));
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, Atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32,
                      static_cast<uint32_t>(types.size()), types.data());
  xcb_flush(c);
}

std::vector<StrutPartial> OtherWindowsReservations(const std::vector<QWidget*>& own) {
  std::vector<StrutPartial> struts;
  xcb_connection_t* c = Connection();
  if (!c) return struts;
  std::vector<xcb_window_t> ownIds;
  for (QWidget* w : own)
    if (w && w->testAttribute(Qt::WA_WState_Created)) ownIds.push_back(static_cast<xcb_window_t>(w->winId()));
  const xcb_atom_t partial = Atom(c, "_NET_WM_STRUT_PARTIAL"), legacy = Atom(c, "_NET_WM_STRUT");
  const std::vector<uint32_t> clients = ReadCardinals(c, Root(c), Atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 4096);
  for (uint32_t client : clients) {
    if (std::find(ownIds.begin(), ownIds.end(), client) != ownIds.end()) continue;
    std::vector<uint32_t> v = ReadCardinals(c, client, partial, XCB_ATOM_CARDINAL, 12);
    if (v.size() < 12) v = ReadCardinals(c, client, legacy, XCB_ATOM_CARDINAL, 4);
    if (v.size() >= 4) struts.push_back(StrutPartial::FromValues(v.data(), static_cast<int>(v.size())));
  }
  const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
  if (ratio != 1.0)
    for (StrutPartial& s : struts) {
      std::array<uint32_t, 12> values = s.Values();
      for (uint32_t& value : values)
        if (value != 0xFFFFFFFFu) value = static_cast<uint32_t>(value / ratio);
      s = StrutPartial::FromValues(values.data(), 12);
    }
  return struts;
}

void SetStackingHint(QWidget* window, int mode) {
  if (!window) return;
  Qt::WindowFlags flags = window->windowFlags();
  flags.setFlag(Qt::WindowStaysOnTopHint, mode == 1);
  flags.setFlag(Qt::WindowStaysOnBottomHint, mode == 2);
  if (flags == window->windowFlags()) return;
  // Through the window itself: the widget's own setter would hide it.
  window->overrideWindowFlags(flags);
  if (QWindow* handle = window->windowHandle()) handle->setFlags(flags);
}

}  // namespace lumetra::platform
