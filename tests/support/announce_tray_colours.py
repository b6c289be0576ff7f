#!/usr/bin/env python3
"""Sets the X11 tray's announced icon colours, as a panel does when its theme changes.

  announce_tray_colours.py RRGGBB
      writes _NET_SYSTEM_TRAY_COLORS on the window that owns _NET_SYSTEM_TRAY_S0 of $DISPLAY,
      with RRGGBB as the foreground (and as error, warning and success); exits 1 without a tray.
"""
import ctypes
import sys

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

colour = sys.argv[1].lstrip('#')
channels = [int(colour[i:i + 2], 16) * 0x101 for i in (0, 2, 4)]
display = x11.XOpenDisplay(None)
if not display:
    sys.exit("no X display")
tray = x11.XGetSelectionOwner(display, x11.XInternAtom(display, b"_NET_SYSTEM_TRAY_S0", 0))
if not tray:
    sys.exit("no tray owns _NET_SYSTEM_TRAY_S0")
# Xlib takes 32-bit property items as C longs.
values = (ctypes.c_long * 12)(*(channels * 4))
x11.XChangeProperty(display, tray, x11.XInternAtom(display, b"_NET_SYSTEM_TRAY_COLORS", 0),
                    6,  # XA_CARDINAL
                    32, 0, values, 12)  # PropModeReplace
x11.XCloseDisplay(display)
