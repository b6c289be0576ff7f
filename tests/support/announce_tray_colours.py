#!/usr/bin/env python3
"""Sets the X11 tray's announced icon colours, as a panel does when its theme changes.

  announce_tray_colours.py RRGGBB
      writes _NET_SYSTEM_TRAY_COLORS on the window that owns _NET_SYSTEM_TRAY_S0 of $DISPLAY,
      with RRGGBB as the foreground (and as error, warning and success); exits 1 without a tray.
  announce_tray_colours.py --flood SECONDS RRGGBB
      rewrites it as fast as it can for SECONDS, in other colours, then RRGGBB; prints how often.
"""
import ctypes
import sys
import time

x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XGetSelectionOwner.restype = ctypes.c_ulong
x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                                ctypes.c_int, ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]

flood = sys.argv[1] == '--flood'
colour = sys.argv[3 if flood else 1].lstrip('#')
channels = [int(colour[i:i + 2], 16) * 0x101 for i in (0, 2, 4)]
display = x11.XOpenDisplay(None)
if not display:
    sys.exit("no X display")
tray = x11.XGetSelectionOwner(display, x11.XInternAtom(display, b"_NET_SYSTEM_TRAY_S0", 0))
if not tray:
    sys.exit("no tray owns _NET_SYSTEM_TRAY_S0")
property = x11.XInternAtom(display, b"_NET_SYSTEM_TRAY_COLORS", 0)


def announce(values):
    x11.XChangeProperty(display, tray, property, 6, 32, 0, values, 12)  # CARDINAL, Replace


# Xlib takes 32-bit property items as C longs.
changes, end = 0, time.monotonic() + (float(sys.argv[2]) if flood else 0)
greys = [(ctypes.c_long * 12)(*([grey * 0x101] * 12)) for grey in range(256)]
while time.monotonic() < end:
    for values in greys:
        announce(values)
    changes += len(greys)
    x11.XSync(display, 0)  # at the server's pace, not piling up in this client
announce((ctypes.c_long * 12)(*(channels * 4)))
x11.XCloseDisplay(display)
if flood:
    print(changes)
