#!/usr/bin/python3
"""Writes what KWin shows on its screen, as KWin's own screenshot interface hands it over.

  kwin_screenshot.py WIDTH HEIGHT >SHOT.bgra
      the screen's top-left WIDTH x HEIGHT: 8-bit blue, green, red, alpha, row by row. KWin must
      let programs take screenshots (KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 where it runs).
"""
import os
import sys

import dbus

width, height = int(sys.argv[1]), int(sys.argv[2])
shots = dbus.Interface(dbus.SessionBus().get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2"),
                       "org.kde.KWin.ScreenShot2")
reading, writing = os.pipe()
answer = shots.CaptureArea(0, 0, dbus.UInt32(width), dbus.UInt32(height), {},
                           dbus.types.UnixFd(writing), timeout=10)
os.close(writing)
data = bytearray()
while chunk := os.read(reading, 1 << 20):
    data += chunk
stride = int(answer["stride"])
if (int(answer["width"]), int(answer["height"])) != (width, height) or len(data) < stride * height:
    sys.exit(f"KWin gave {answer['width']}x{answer['height']}, {len(data)} bytes")
for row in range(height):
    sys.stdout.buffer.write(data[row * stride:row * stride + width * 4])
