#!/usr/bin/python3
"""The whole KWin desk as a picture, the pointer drawn in, through
org.kde.KWin.ScreenShot2 (its raw image over a pipe), written as a PPM.

Usage: kwin_screenshot.py FILE  (KWin's bus in DBUS_SESSION_BUS_ADDRESS)
"""
import os
import sys
import threading

import dbus

# QImage's formats KWin sends, by their byte order in memory.
BGRA = {4, 5, 6}  # RGB32, ARGB32, ARGB32_Premultiplied on a little-endian machine
RGBA = {16, 17, 18}  # RGBX8888, RGBA8888, RGBA8888_Premultiplied

bus = dbus.SessionBus()
shooter = dbus.Interface(bus.get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2"), "org.kde.KWin.ScreenShot2")
read_end, write_end = os.pipe()
chunks = []


def drain():
    with os.fdopen(read_end, "rb") as pipe:
        while chunk := pipe.read(1 << 20):
            chunks.append(chunk)


# KWin may write before it answers: the pipe is read all along. The reader
# does not hold the program past a failed call (the bus keeps a copy of the
# pipe's end).
reader = threading.Thread(target=drain, daemon=True)
reader.start()
try:
    found = shooter.CaptureWorkspace({"include-cursor": True, "native-resolution": True},
                                     dbus.types.UnixFd(write_end))
finally:
    os.close(write_end)
reader.join(20)
data = b"".join(chunks)
width, height, stride, layout = (int(found[k]) for k in ("width", "height", "stride", "format"))
if layout not in BGRA | RGBA or stride < width * 4 or len(data) < stride * height:
    sys.exit(f"kwin_screenshot: {len(data)} bytes of format {layout}, {width}x{height} stride {stride}")
red, blue = (2, 0) if layout in BGRA else (0, 2)
pixels = bytearray(width * height * 3)
for row in range(height):
    line = data[row * stride:row * stride + width * 4]
    out = row * width * 3
    pixels[out:out + width * 3:3] = line[red::4]
    pixels[out + 1:out + width * 3:3] = line[1::4]
    pixels[out + 2:out + width * 3:3] = line[blue::4]
with open(sys.argv[1], "wb") as picture:
    picture.write(b"P6\n%d %d\n255\n" % (width, height) + pixels)
