#pragma once

#include <QByteArray>
#include <QtGui/qtguiglobal.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

// The X11 display the program runs on, for what Qt does not tell: who serves it (a tray, a
// compositing manager, each owning a selection of the screen such as _NET_SYSTEM_TRAY_S0 or
// _NET_WM_CM_S0), other programs' windows, the input focus.
namespace X11Display {

// The window of the client that owns the selection `name`; 0 when nobody does, or off X11.
uint32_t selectionOwner(const QByteArray& name);

// Whether a client owns the selection `name`; false off X11.
bool hasSelectionOwner(const QByteArray& name);

// The name the running window manager gives itself ("KWin", say); empty when none runs, or off
// X11.
QByteArray windowManagerName();

#if QT_CONFIG(xcb)
// A reply of the X server, freed with it.
template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

// The program's own connection, which Qt keeps; null when the program does not run on X11.
xcb_connection_t* connection();

// The atom called `name`, made when it does not exist yet.
xcb_atom_t atom(xcb_connection_t* connection, const QByteArray& name);

// Adds `events` to those this program hears of `window`, keeping the ones it (and Qt) chose
// before: a client has one event mask a window, and setting it replaces it.
void listen(xcb_connection_t* connection, xcb_window_t window, uint32_t events);
#endif

} // namespace X11Display
