#!/usr/bin/python3
# Draws every picture the client embeds: the window background, the gold
# Orvane mark, the payment badge, the built-in support card and the two icons.
#
# Run with Debian's interpreter (it has python3-pil and python3-qrcode):
#     /usr/bin/python3 tools/make_resources.py
# The output is byte-for-byte the same on every run (no clocks, no unseeded
# randomness); the files land in res/ next to this folder.

import math
import os
import struct
import sys
from io import BytesIO

from PIL import Image, ImageChops, ImageDraw, ImageFont

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, "res")
FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

# Palette of the window.
BG_TOP = (20, 20, 25)
BG_BOTTOM = (35, 35, 40)
GOLD = (226, 180, 77)
GOLD_LIGHT = (250, 210, 90)
PAY_BLUE = (22, 119, 255)

RESAMPLE = Image.Resampling.LANCZOS


# ---------------------------------------------------------------- helpers

def lerp(a, b, t):
    return a + (b - a) * t


def lerp_rgb(c0, c1, t):
    return tuple(int(round(lerp(c0[i], c1[i], t))) for i in range(3))


def vertical_gradient(w, h, c0, c1):
    """RGB image going from c0 on the first row to c1 on the last."""
    column = Image.new("RGB", (1, h))
    px = column.load()
    for y in range(h):
        px[0, y] = lerp_rgb(c0, c1, y / (h - 1) if h > 1 else 0.0)
    return column.resize((w, h), Image.Resampling.NEAREST)


def diagonal_gradient(w, h, stops):
    """RGB image along the top-left to bottom-right diagonal.

    stops is a list of (position 0..1, colour)."""
    n = 512
    strip = Image.new("RGB", (n, 1))
    px = strip.load()
    for i in range(n):
        t = i / (n - 1)
        for k in range(len(stops) - 1):
            p0, c0 = stops[k]
            p1, c1 = stops[k + 1]
            if t <= p1 or k == len(stops) - 2:
                u = 0.0 if p1 == p0 else min(max((t - p0) / (p1 - p0), 0.0), 1.0)
                px[i, 0] = lerp_rgb(c0, c1, u)
                break
    # Stretch the strip over the diagonal: rotate a wide band by 45 degrees.
    d = int(math.ceil(math.hypot(w, h))) + 2
    band = strip.resize((d, d), Image.Resampling.BILINEAR)
    band = band.rotate(-45, resample=Image.Resampling.BILINEAR)
    left = (d - w) // 2
    top = (d - h) // 2
    return band.crop((left, top, left + w, top + h))


def radial_mask(w, h, cx, cy, radius, peak, power=2.0):
    """L mask: peak at (cx, cy) fading to 0 at radius (smooth falloff).

    Computed on a coarse grid and scaled up: the falloff is smooth anyway."""
    step = 4
    sw, sh = (w + step - 1) // step, (h + step - 1) // step
    small = Image.new("L", (sw, sh))
    px = small.load()
    for y in range(sh):
        for x in range(sw):
            d = math.hypot(x * step - cx, y * step - cy) / radius
            if d < 1.0:
                v = (1.0 - d) ** power
                px[x, y] = int(round(peak * 255 * v))
    return small.resize((w, h), Image.Resampling.BICUBIC)


def rounded_square_mask(size, radius_frac, ss=4):
    big = Image.new("L", (size * ss, size * ss), 0)
    ImageDraw.Draw(big).rounded_rectangle(
        (0, 0, size * ss - 1, size * ss - 1),
        radius=int(size * ss * radius_frac), fill=255)
    return big.resize((size, size), RESAMPLE)


def tint(mask, colour_img):
    """RGBA image: colour_img where mask is set, transparent elsewhere."""
    out = colour_img.convert("RGBA")
    out.putalpha(mask)
    return out


# ------------------------------------------------------------- the mark
#
# The Orvane mark is a ring (the "O") around a downward arrow - a stem and a
# chevron - that lands on a short tray. Geometry is in units of the mark's
# side (0..1), so one description renders the 1205-pixel logo and every icon.

FULL_MARK = {
    "ring_outer": 0.478, "ring_inner": 0.366, "swell": 0.014,
    "stroke": 0.108,                       # stem and chevron thickness
    "stem_top": 0.215, "apex": 0.600,      # centre line of the arrow
    "arm_dx": 0.178, "arm_dy": 0.190,      # chevron arm, apex to tip
    "tray": (0.372, 0.742, 0.628, 0.802),
}

# Fewer, fatter parts for 16-pixel use: no tray, thicker ring and strokes.
SIMPLE_MARK = {
    "ring_outer": 0.480, "ring_inner": 0.325,
    "stroke": 0.150,
    "stem_top": 0.310, "apex": 0.650,
    "arm_dx": 0.185, "arm_dy": 0.190,
    "tray": None,
}


def mark_mask(side, geo, ss=4):
    """L mask of the mark drawn at side x side, anti-aliased by supersampling."""
    s = side * ss
    img = Image.new("L", (s, s), 0)
    d = ImageDraw.Draw(img)
    c = s / 2.0
    ro, ri = geo["ring_outer"] * s, geo["ring_inner"] * s
    d.ellipse((c - ro, c - ro, c + ro, c + ro), fill=255)
    # The counter sits a touch up and to the left, so the ring swells
    # towards the lower right like a pen-drawn O.
    k = geo.get("swell", 0.0) * s
    d.ellipse((c - ri - k, c - ri - k, c + ri - k, c + ri - k), fill=0)

    # The arrow and tray are centred in the counter, not on the outer circle.
    c -= k
    half = geo["stroke"] * s / 2.0
    top, apex = geo["stem_top"] * s, geo["apex"] * s
    dx, dy = geo["arm_dx"] * s, geo["arm_dy"] * s

    def dot(x, y):
        d.ellipse((x - half, y - half, x + half, y + half), fill=255)

    def bar(x0, y0, x1, y1):
        # A straight stroke of the arrow's thickness with round ends.
        length = math.hypot(x1 - x0, y1 - y0)
        nx, ny = -(y1 - y0) / length * half, (x1 - x0) / length * half
        d.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny),
                   (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], fill=255)
        dot(x0, y0)
        dot(x1, y1)

    bar(c, top, c, apex)                 # stem
    bar(c - dx, apex - dy, c, apex)      # left arm
    bar(c + dx, apex - dy, c, apex)      # right arm
    if geo["tray"]:
        x0, y0, x1, y1 = (v * s for v in geo["tray"])
        r = (y1 - y0) / 2.0
        bar(x0 + r, y0 + r, x1 - r, y0 + r)
    return img.resize((side, side), RESAMPLE if ss > 1 else Image.Resampling.NEAREST)


def gold_fill(side):
    """The mark's colour: light gold at the top left to deep gold at the bottom right."""
    return diagonal_gradient(side, side, [
        (0.0, (255, 226, 120)),
        (0.35, GOLD_LIGHT),
        (0.70, GOLD),
        (1.0, (198, 150, 52)),
    ])


def gold_mark(side, geo, ss=4):
    return tint(mark_mask(side, geo, ss), gold_fill(side))


# ------------------------------------------------------------------ logo

def make_logo():
    side = 1205
    mask = mark_mask(side, FULL_MARK, ss=3)
    logo = tint(mask, gold_fill(side))
    # A soft sheen along the upper part of the ring, kept inside the mark.
    sheen = radial_mask(side, side, side * 0.36, side * 0.16, side * 0.55, 0.35, 1.6)
    sheen = ImageChops.multiply(sheen, mask)
    white = Image.new("RGBA", (side, side), (255, 240, 190, 0))
    white.putalpha(sheen)
    base = logo.copy()
    base.alpha_composite(white)
    base.putalpha(mask)
    return base


# ------------------------------------------------------------ background

def make_background():
    w, h = 1838, 1208
    img = vertical_gradient(w, h, BG_TOP, BG_BOTTOM).convert("RGBA")

    # Warm glow in the lower-left corner and a fainter one at the upper right.
    glow = Image.new("RGBA", (w, h), GOLD + (0,))
    glow.putalpha(radial_mask(w, h, -0.02 * w, 1.04 * h, 0.62 * w, 0.13, 2.2))
    img.alpha_composite(glow)
    glow2 = Image.new("RGBA", (w, h), GOLD_LIGHT + (0,))
    glow2.putalpha(radial_mask(w, h, 1.0 * w, 0.10 * h, 0.42 * w, 0.07, 2.4))
    img.alpha_composite(glow2)

    # Orbit arcs around a centre below the lower-left corner, drawn large and
    # scaled down so their edges stay smooth; they fade away from the corner.
    ss = 2
    arcs = Image.new("L", (w * ss, h * ss), 0)
    d = ImageDraw.Draw(arcs)
    cx, cy = -0.06 * w * ss, 1.12 * h * ss
    for i, r in enumerate((420, 520, 640, 790, 970)):
        rr = r * ss
        width = (4 if i % 2 == 0 else 3) * ss
        d.ellipse((cx - rr, cy - rr, cx + rr, cy + rr), outline=255, width=width)
    arcs = arcs.resize((w, h), RESAMPLE)
    fade = radial_mask(w, h, 0.0, h, 1.05 * w, 1.0, 1.4)
    arcs = ImageChops.multiply(arcs, fade).point(lambda v: v * 38 // 255)
    layer = Image.new("RGBA", (w, h), GOLD + (0,))
    layer.putalpha(arcs)
    img.alpha_composite(layer)

    # Matching arcs at the upper right, fainter, around a centre off the edge.
    arcs = Image.new("L", (w * ss, h * ss), 0)
    d = ImageDraw.Draw(arcs)
    cx, cy = 1.10 * w * ss, -0.18 * h * ss
    for r in (470, 560, 680):
        rr = r * ss
        d.ellipse((cx - rr, cy - rr, cx + rr, cy + rr), outline=255, width=3 * ss)
    arcs = arcs.resize((w, h), RESAMPLE)
    fade = radial_mask(w, h, w, 0.0, 0.85 * w, 1.0, 1.4)
    arcs = ImageChops.multiply(arcs, fade).point(lambda v: v * 26 // 255)
    layer = Image.new("RGBA", (w, h), GOLD_LIGHT + (0,))
    layer.putalpha(arcs)
    img.alpha_composite(layer)

    # Fine diagonal hatching, only near the right edge, barely above the base.
    hatch = Image.new("L", (w, h), 0)
    d = ImageDraw.Draw(hatch)
    spacing = 26
    for k in range(-h, w + h, spacing):
        d.line((k, h, k + h, 0), fill=255, width=2)
    # Horizontal fade computed on one row, then repeated down the image.
    row = Image.new("L", (w, 1))
    rpx = row.load()
    for x in range(w):
        t = (x / w - 0.62) / 0.38
        rpx[x, 0] = int(round(255 * max(0.0, min(1.0, t)) ** 1.5))
    fade = row.resize((w, h), Image.Resampling.NEAREST)
    hatch = ImageChops.multiply(hatch, fade).point(lambda v: v * 10 // 255)
    layer = Image.new("RGBA", (w, h), (255, 255, 255, 0))
    layer.putalpha(hatch)
    img.alpha_composite(layer)

    # Gentle vignette so the corners sink and the middle stays calm.
    vig = radial_mask(w, h, w / 2, h / 2, 0.78 * math.hypot(w, h) / 2 * 1.5, 1.0, 1.0)
    vig = vig.point(lambda v: 255 - v)          # 0 in the middle, up at the edges
    vig = vig.point(lambda v: max(0, v - 120) * 60 // 135)
    shade = Image.new("RGBA", (w, h), (8, 8, 10, 0))
    shade.putalpha(vig)
    img.alpha_composite(shade)

    return img.convert("RGB")


# ---------------------------------------------------------- payment badge

def make_pay_icon():
    side = 2500
    ss = 2
    s = side * ss
    # Badge: a rounded square with a slight top-to-bottom shade of the blue.
    badge_mask = Image.new("L", (s, s), 0)
    ImageDraw.Draw(badge_mask).rounded_rectangle(
        (0, 0, s - 1, s - 1), radius=int(s * 0.225), fill=255)
    badge_mask = badge_mask.resize((side, side), RESAMPLE)
    top = lerp_rgb(PAY_BLUE, (255, 255, 255), 0.12)
    bottom = lerp_rgb(PAY_BLUE, (0, 0, 0), 0.08)
    fill = vertical_gradient(side, side, top, bottom)
    icon = tint(badge_mask, fill)

    # The character, heavy enough to survive being shown at 18 pixels.
    font = ImageFont.truetype(FONT, 1500 * ss, index=0)
    glyph = Image.new("L", (s, s), 0)
    gd = ImageDraw.Draw(glyph)
    text = "支"
    stroke = 66 * ss
    l, t, r, b = gd.textbbox((0, 0), text, font=font, stroke_width=stroke)
    x = (s - (r - l)) / 2 - l
    y = (s - (b - t)) / 2 - t + 0.01 * s
    gd.text((x, y), text, font=font, fill=255, stroke_width=stroke, stroke_fill=255)
    glyph = glyph.resize((side, side), RESAMPLE)
    white = Image.new("RGBA", (side, side), (255, 255, 255, 0))
    white.putalpha(glyph)
    icon.alpha_composite(white)
    return icon


# --------------------------------------------------------- support card

def make_support_card():
    import qrcode
    from qrcode.constants import ERROR_CORRECT_H

    w, h = 224, 236
    card = Image.new("RGB", (w, h), (255, 255, 255))
    d = ImageDraw.Draw(card)
    # Light card with a hairline border and a faint footer band.
    d.rectangle((0, 0, w - 1, h - 1), fill=(250, 250, 252), outline=(222, 224, 230))
    d.rectangle((1, 196, w - 2, h - 2), fill=(243, 244, 247))
    d.line((1, 196, w - 2, 196), fill=(228, 230, 236))

    qr = qrcode.QRCode(version=None, error_correction=ERROR_CORRECT_H,
                       box_size=1, border=0)
    qr.add_data("https://support.orvane.example/qq")
    qr.make(fit=True)
    matrix = qr.get_matrix()
    n = len(matrix)
    box = 168 // n                      # whole pixels per module, no resampling
    size = n * box
    ox = (w - size) // 2
    oy = 10 + (180 - size) // 2
    d.rectangle((ox - 6, oy - 6, ox + size + 5, oy + size + 5), fill=(255, 255, 255))
    ink = (28, 30, 36)
    for j, row in enumerate(matrix):
        for i, on in enumerate(row):
            if on:
                d.rectangle((ox + i * box, oy + j * box,
                             ox + (i + 1) * box - 1, oy + (j + 1) * box - 1), fill=ink)

    # A small mark in the middle (the H level of error correction covers it).
    badge = 7 * box
    bx = ox + (size - badge) // 2
    by = oy + (size - badge) // 2
    d.rectangle((bx - 1, by - 1, bx + badge, by + badge), fill=(255, 255, 255))
    tile = app_tile(badge, SIMPLE_MARK, radius_frac=0.22)
    card.paste(tile, (bx, by), tile)

    font = ImageFont.truetype(FONT, 16, index=0)
    text = "扫码联系客服"
    l, t, r, b = d.textbbox((0, 0), text, font=font)
    tx = (w - (r - l)) // 2 - l
    ty = 196 + (h - 196 - (b - t)) // 2 - t
    d.text((tx, ty), text, font=font, fill=(70, 74, 84))
    return card


# ----------------------------------------------------------------- icons

def app_tile(side, geo, radius_frac=0.2, inset=0.14):
    """The gold mark on the dark rounded square, at side x side."""
    ss = 8 if side <= 64 else 4
    tile = Image.new("RGBA", (side, side), BG_TOP + (0,))
    tile.putalpha(rounded_square_mask(side, radius_frac, ss))
    # A hairline rim, lit from the top, keeps the tile readable on dark taskbars.
    rim = vertical_gradient(side, side, (74, 66, 52), (30, 30, 36)).convert("RGBA")
    outer = rounded_square_mask(side, radius_frac, ss)
    band = max(1, side // 96)
    inner_side = side - 2 * band
    inner = Image.new("L", (side, side), 0)
    inner.paste(rounded_square_mask(inner_side, radius_frac, ss), (band, band))
    rim.putalpha(ImageChops.subtract(outer, inner))
    tile.alpha_composite(rim)

    mark_side = int(round(side * (1 - 2 * inset)))
    if mark_side % 2 != side % 2:
        mark_side += 1
    mark = gold_mark(mark_side, geo, ss)
    off = (side - mark_side) // 2
    tile.alpha_composite(mark, (off, off))
    return tile


def ico_dib_entry(img):
    """One icon image in the classic DIB form: 32-bit BGRA plus an AND mask."""
    w, h = img.size
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rgba = img.convert("RGBA")
    px = rgba.load()
    xor = bytearray()
    for y in range(h - 1, -1, -1):               # rows bottom-up
        for x in range(w):
            r, g, b, a = px[x, y]
            xor += bytes((b, g, r, a))
    stride = ((w + 31) // 32) * 4
    andmask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if px[x, y][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        andmask += row
    return header + bytes(xor) + bytes(andmask)


def write_ico(path, images):
    """ICO file: sizes under 256 as DIBs, 256 as an embedded PNG."""
    blobs = []
    for img in images:
        if img.size[0] >= 256:
            buf = BytesIO()
            img.save(buf, "PNG", optimize=True)
            blobs.append(buf.getvalue())
        else:
            blobs.append(ico_dib_entry(img))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, blobs):
        w, h = img.size
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32,
                           len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def make_icons():
    sizes = (16, 32, 48, 256)
    big = [app_tile(s, FULL_MARK) for s in sizes]
    small = [app_tile(s, SIMPLE_MARK, inset=0.08 if s <= 32 else 0.12) for s in sizes]
    return big, small


# ------------------------------------------------------------------ output

def save_png(img, name, quantise=None):
    """Write res/name; quantise = number of colours for a palette image."""
    if quantise:
        if img.mode == "RGBA":
            img = img.quantize(quantise, method=Image.Quantize.LIBIMAGEQUANT,
                               dither=Image.Dither.NONE)
        else:
            img = img.quantize(quantise, method=Image.Quantize.MEDIANCUT,
                               dither=Image.Dither.NONE)
    path = os.path.join(RES, name)
    img.save(path, "PNG", optimize=True)
    return path


def main():
    os.makedirs(RES, exist_ok=True)
    expected = {}

    save_png(make_background(), "bg.png")
    expected["bg.png"] = (1838, 1208)

    save_png(make_logo(), "logo.png", quantise=256)
    expected["logo.png"] = (1205, 1205)

    save_png(make_pay_icon(), "wxzf.png", quantise=256)
    expected["wxzf.png"] = (2500, 2500)

    save_png(make_support_card(), "kf.png", quantise=64)
    expected["kf.png"] = (224, 236)

    big, small = make_icons()
    write_ico(os.path.join(RES, "app.ico"), big)
    write_ico(os.path.join(RES, "app_small.ico"), small)

    for name, size in expected.items():
        with Image.open(os.path.join(RES, name)) as im:
            assert im.size == size, (name, im.size, size)
    for name in ("app.ico", "app_small.ico"):
        with Image.open(os.path.join(RES, name)) as im:
            got = sorted(im.info["sizes"])
            assert got == [(16, 16), (32, 32), (48, 48), (256, 256)], (name, got)

    for name in ("bg.png", "logo.png", "wxzf.png", "kf.png", "app.ico", "app_small.ico"):
        path = os.path.join(RES, name)
        print("%-14s %7d bytes" % (name, os.path.getsize(path)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
