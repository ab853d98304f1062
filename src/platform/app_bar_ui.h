#pragma once
// Application desktop toolbars on X11: a docked window reserves its edge with
// _NET_WM_STRUT_PARTIAL / _NET_WM_STRUT and is typed as a dock while docked;
// the reservation and the type go when it floats or closes. Also the other
// windows' reservations (so bars sit beside panels) and the stacking hints.
// Without an X11 display (offscreen, Wayland) every call does nothing and
// reports no reservations.
#include <QRect>
#include <QSize>
#include <vector>

#include "platform/app_bar.h"

class QWidget;

namespace lumetra::platform {

// An X11 connection is there to talk to.
bool AppBarsAvailable();

// Reserves the edge for the window, which occupies `bar` (logical screen
// coordinates, as QScreen gives them).
void SetDockReservation(QWidget* window, DockEdge edge, const QRect& bar);
// Removes both reservation properties.
void ClearDockReservation(QWidget* window);
// The window's type: a dock while docked, else the tool window it was made as.
void SetDockWindowType(QWidget* window, bool dock);

// The size of the root window (logical pixels); empty without X11.
QSize DesktopRootSize();
// Reservations of every managed window that is not one of `own`.
std::vector<StrutPartial> OtherWindowsReservations(const std::vector<QWidget*>& own);

// Stacking: 1 always above, 2 always below, anything else neither. The
// window stays shown; only its hints change.
void SetStackingHint(QWidget* window, int mode);

}  // namespace lumetra::platform
