#!/usr/bin/python3
# Quick sanity check of the embedded pictures in res/: every file is present,
# has its exact pixel size, stays within its byte budget, and each icon holds
# the 16, 32, 48 and 256 pixel images. Standard library only; exits 1 on any fault.

import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, "res")

PNGS = {
    # name: (width, height, maximum bytes)
    "bg.png": (1838, 1208, 300 * 1024),
    "logo.png": (1205, 1205, 150 * 1024),
    "wxzf.png": (2500, 2500, 150 * 1024),
    "kf.png": (224, 236, 30 * 1024),
}
ICONS = {
    "app.ico": 120 * 1024,
    "app_small.ico": 120 * 1024,
}
ICON_SIZES = [16, 32, 48, 256]
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def png_size(data):
    """(width, height) from a PNG's IHDR, or None if it is not a PNG."""
    if len(data) < 24 or data[:8] != PNG_SIGNATURE or data[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", data[16:24])


def icon_sizes(data):
    """Pixel sizes of the images inside an ICO, read from the images themselves."""
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    if reserved != 0 or kind != 1:
        raise ValueError("not an icon file")
    sizes = []
    for i in range(count):
        entry = data[6 + 16 * i: 22 + 16 * i]
        w, h, _, _, _, _, length, offset = struct.unpack("<BBBBHHII", entry)
        blob = data[offset:offset + length]
        if len(blob) != length:
            raise ValueError("image %d runs past the end of the file" % i)
        inner = png_size(blob)
        if inner is None:
            hdr, bw, bh = struct.unpack("<Iii", blob[:12])
            if hdr != 40 or bh != 2 * bw:
                raise ValueError("image %d has a bad bitmap header" % i)
            inner = (bw, bw)
        if (w or 256, h or 256) != inner:
            raise ValueError("image %d: directory says %dx%d, image is %dx%d"
                             % (i, w or 256, h or 256, inner[0], inner[1]))
        sizes.append(inner[0])
    return sorted(sizes)


def main():
    faults = []
    for name, (w, h, budget) in PNGS.items():
        path = os.path.join(RES, name)
        if not os.path.isfile(path):
            faults.append("%s: missing" % name)
            continue
        with open(path, "rb") as f:
            data = f.read()
        size = png_size(data)
        if size is None:
            faults.append("%s: not a PNG" % name)
        elif size != (w, h):
            faults.append("%s: %dx%d, expected %dx%d" % (name, size[0], size[1], w, h))
        if len(data) > budget:
            faults.append("%s: %d bytes, over %d" % (name, len(data), budget))
    for name, budget in ICONS.items():
        path = os.path.join(RES, name)
        if not os.path.isfile(path):
            faults.append("%s: missing" % name)
            continue
        with open(path, "rb") as f:
            data = f.read()
        try:
            sizes = icon_sizes(data)
        except (ValueError, struct.error) as e:
            faults.append("%s: %s" % (name, e))
        else:
            if sizes != ICON_SIZES:
                faults.append("%s: sizes %s, expected %s" % (name, sizes, ICON_SIZES))
        if len(data) > budget:
            faults.append("%s: %d bytes, over %d" % (name, len(data), budget))
    for fault in faults:
        print("FAIL " + fault)
    if not faults:
        print("res/: all %d pictures present and well-formed" % (len(PNGS) + len(ICONS)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
