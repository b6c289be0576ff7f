#pragma once

#include <QByteArray>

#include <cstdint>

// Who serves the X11 display: a tray, a compositing manager. Each announces itself by owning a
// selection of the screen (_NET_SYSTEM_TRAY_S0, _NET_WM_CM_S0).
namespace X11Selections {

// The window of the client that owns the selection `name`; 0 when nobody does, or off X11.
uint32_t owner(const QByteArray& name);

// Whether a client owns the selection `name`; false off X11.
bool hasOwner(const QByteArray& name);

} // namespace X11Selections
