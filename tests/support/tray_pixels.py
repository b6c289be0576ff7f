#!/usr/bin/env python3
"""Reads an 8-bit RGB image (raw bytes, as `convert IMAGE -depth 8 rgb:-` writes) on stdin.

  tray_pixels.py box WIDTH HEIGHT TRAY_COLOUR
      prints "x y width height" around the pixels that are not the tray's colour (an icon on
      it), or nothing when every pixel is the tray's colour;
  tray_pixels.py contrast WIDTH HEIGHT TRAY_COLOUR
      prints the contrast ratio (WCAG) of the icon's outline against the tray: where the icon
      meets the tray (an icon pixel beside a tray pixel), the strongest contrast within a pixel
      of there, as the median along the whole outline. A one-colour icon close to the tray's
      colour fails it, and so does an edge drawn only in places;
  tray_pixels.py share WIDTH HEIGHT TRAY_COLOUR COLOUR
      prints the percentage of the icon's pixels that are COLOUR.
"""
import sys


def luminance(rgb):
    def channel(c):
        c /= 255
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def is_tray(pixel, tray):
    return max(abs(pixel[c] - tray[c]) for c in range(3)) <= 24


def outline_contrast(pixels, width, height, tray):
    def at(x, y):
        return pixels[y * width + x]
    ratios = []
    for y in range(height):
        for x in range(width):
            if is_tray(at(x, y), tray):
                continue
            around = [(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)
                      if 0 <= x + dx < width and 0 <= y + dy < height]
            if not any(is_tray(at(*p), tray) for p in around if p[0] == x or p[1] == y):
                continue
            ratios.append(max(contrast(at(*p), tray) for p in around))
    if not ratios:
        return 1.0
    ratios.sort()
    return ratios[len(ratios) // 2]


def main():
    command, width, height, tray = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    tray = tuple(int(tray.lstrip('#')[i:i + 2], 16) for i in (0, 2, 4))
    data = sys.stdin.buffer.read()
    if len(data) != width * height * 3:
        sys.exit(f"expected {width}x{height} RGB pixels, got {len(data)} bytes")
    pixels = [tuple(data[i:i + 3]) for i in range(0, len(data), 3)]
    if command == 'box':
        inside = [(i % width, i // width) for i, p in enumerate(pixels) if not is_tray(p, tray)]
        if inside:
            xs = [x for x, _ in inside]
            ys = [y for _, y in inside]
            print(min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)
    elif command == 'share':
        colour = tuple(int(sys.argv[5].lstrip('#')[i:i + 2], 16) for i in (0, 2, 4))
        icon = [p for p in pixels if not is_tray(p, tray)]
        ours = [p for p in icon if is_tray(p, colour)]
        print(100 * len(ours) // max(len(icon), 1))
    elif command == 'contrast':
        print(f"{outline_contrast(pixels, width, height, tray):.2f}")
    else:
        sys.exit(f"unknown command {command}")


main()
