#!/usr/bin/env python3
"""Draws the program icon (quirvel.ico) and the link cursor (hand.cur).

Run from anywhere:  python3 resources/make_art.py
The files are written next to this script.  Standard library only: the
pictures are rasterised here and the ICO/CUR containers are written byte by
byte, so regenerating the art needs nothing but Python 3.
"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


# ---------------------------------------------------------------------------
# A tiny anti-aliased rasteriser.  Shapes are "inside" tests on pixel
# coordinates (pixel (x, y) covers [x, x+1) x [y, y+1)); coverage comes from
# a grid of sample points per pixel and is composited "over" what is there.
# ---------------------------------------------------------------------------

SAMPLES = 6


def hex_rgb(text):
    text = text.lstrip('#')
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


class Canvas:
    def __init__(self, size):
        self.n = size
        # straight (not premultiplied) RGBA, floats 0..1
        self.px = [[(0.0, 0.0, 0.0, 0.0) for _ in range(size)]
                   for _ in range(size)]

    def blend(self, x, y, rgb, alpha):
        if alpha <= 0.0 or not (0 <= x < self.n and 0 <= y < self.n):
            return
        r, g, b = (c / 255.0 for c in rgb)
        dr, dg, db, da = self.px[y][x]
        oa = alpha + da * (1.0 - alpha)
        if oa <= 0.0:
            return
        k = da * (1.0 - alpha)
        self.px[y][x] = ((r * alpha + dr * k) / oa,
                         (g * alpha + dg * k) / oa,
                         (b * alpha + db * k) / oa,
                         oa)

    def fill(self, inside, colour, box=None, opacity=1.0):
        """Paints every pixel by the share of its sample points inside.

        colour is an (r, g, b) tuple or a function (x, y) -> (r, g, b) or
        (r, g, b, alpha) for gradients.
        """
        x0, y0, x1, y1 = box if box else (0, 0, self.n, self.n)
        x0, y0 = max(0, int(x0) - 1), max(0, int(y0) - 1)
        x1, y1 = min(self.n, int(x1) + 2), min(self.n, int(y1) + 2)
        step = 1.0 / SAMPLES
        offs = [(i + 0.5) * step for i in range(SAMPLES)]
        for y in range(y0, y1):
            for x in range(x0, x1):
                hits = 0
                for oy in offs:
                    for ox in offs:
                        if inside(x + ox, y + oy):
                            hits += 1
                if hits:
                    share = opacity * hits / (SAMPLES * SAMPLES)
                    rgb = colour
                    if callable(colour):
                        rgb = colour(x + 0.5, y + 0.5)
                        if len(rgb) == 4:   # the gradient brings its own alpha
                            share *= rgb[3]
                            rgb = rgb[:3]
                    self.blend(x, y, rgb, share)

    def pixel(self, x, y, colour, alpha=1.0):
        self.blend(x, y, colour, alpha)


def rect(x0, y0, x1, y1):
    return (lambda x, y: x0 <= x < x1 and y0 <= y < y1), (x0, y0, x1, y1)


def round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside, (x0, y0, x1, y1)


def circle(cx, cy, r):
    return ((lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r),
            (cx - r, cy - r, cx + r, cy + r))


def ring(cx, cy, r_out, r_in):
    def inside(x, y):
        d = (x - cx) ** 2 + (y - cy) ** 2
        return r_in * r_in < d <= r_out * r_out
    return inside, (cx - r_out, cy - r_out, cx + r_out, cy + r_out)


def polygon(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]

    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y):
                if x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    hit = not hit
            j = i
        return hit
    return inside, (min(xs), min(ys), max(xs), max(ys))


def draw(canvas, shape, colour, opacity=1.0):
    inside, box = shape
    canvas.fill(inside, colour, box, opacity)


def vgrad(y0, y1, top, bottom):
    """Vertical gradient between two colours."""
    a, b = hex_rgb(top), hex_rgb(bottom)

    def colour(x, y):
        t = min(1.0, max(0.0, (y - y0) / float(y1 - y0)))
        return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))
    return colour


# ---------------------------------------------------------------------------
# The icon: an open ledger with a green cover, ruled pages and a gold coin.
# The 32 and 48 pixel images share one layout written on a 48-unit grid;
# hairlines, rules and the "$" are placed on whole pixels for each size so
# they stay crisp.  The 16 pixel image is drawn by hand further down.
# ---------------------------------------------------------------------------

COVER_TOP = '#2f9a5c'
COVER_BOTTOM = '#1c6e3f'
COVER_EDGE = '#0d3f23'
PAGE = '#fffdf4'
PAGE_SHADE = '#d6d9cc'
PAGE_EDGE = '#7d867b'
RULE = '#8fb4e0'
COLUMN = '#e07a7a'
COIN = '#f4c430'
COIN_LIGHT = '#fff0a0'
COIN_DARK = '#c8921a'
COIN_EDGE = '#6e4a05'


def sag(t):
    """How far a page edge drops towards the gutter, 0 at the outer edge."""
    return t ** 3


def page_outline(x_out, x_spine, y_top, y_bottom, drop, steps=24):
    """Polygon of one open page: straight outer edge, top and bottom edges
    that curve down into the gutter."""
    pts = []
    for i in range(steps + 1):
        t = i / float(steps)
        pts.append((x_out + (x_spine - x_out) * t, y_top + drop * sag(t)))
    for i in range(steps, -1, -1):
        t = i / float(steps)
        pts.append((x_out + (x_spine - x_out) * t, y_bottom + drop * sag(t)))
    return pts


# The "$" stamped on the coin, per image size ('#' = engraved pixel).
DOLLAR = {
    48: ["..#..",
         ".####",
         "#.#..",
         "#.#..",
         ".###.",
         "..#.#",
         "..#.#",
         "####.",
         "..#.."],
    32: ["..#..",
         ".####",
         "#.#..",
         ".###.",
         "..#.#",
         "####.",
         "..#.."],
}


def draw_icon(n):
    c = Canvas(n)
    s = n / 48.0

    def u(v):
        return v * s

    px = 1.0          # one device pixel, for outlines and hairlines
    mid = u(24)
    drop = u(3)

    def both(shape_of_side, colour, opacity=1.0):
        for side in (-1, 1):
            draw(c, shape_of_side(side), colour, opacity)

    def mirrored(pts, side):
        if side < 0:
            return polygon(pts)
        return polygon([(2 * mid - x, y) for x, y in pts])

    # cover: dark rim, then the green face, wider and lower than the pages
    both(lambda sd: mirrored(page_outline(u(0), mid, u(9), u(44), drop), sd),
         hex_rgb(COVER_EDGE))
    both(lambda sd: mirrored(page_outline(u(0) + px, mid, u(9) + px,
                                          u(44) - px, drop), sd),
         vgrad(u(9), u(47), COVER_TOP, COVER_BOTTOM))

    # block of leaves: its edge shows under the open pages
    both(lambda sd: mirrored(page_outline(u(3), mid, u(3), u(41), drop), sd),
         hex_rgb(PAGE_EDGE))
    both(lambda sd: mirrored(page_outline(u(3) + px, mid, u(3) + px,
                                          u(41) - px, drop), sd),
         hex_rgb(PAGE_SHADE))

    # the open pages
    y_top, y_bottom = u(3) + px, u(39)
    both(lambda sd: mirrored(page_outline(u(3) + px, mid, y_top, y_bottom,
                                          drop), sd),
         hex_rgb(PAGE))
    # shade that deepens into the gutter
    shade, width = hex_rgb(PAGE_EDGE), u(7)

    def gutter(x, y):
        t = max(0.0, 1.0 - abs(x - mid) / width)
        return shade + (0.45 * t ** 2,)
    both(lambda sd: mirrored(page_outline(mid - width, mid, y_top,
                                          y_bottom, drop * sag(1.0)), sd),
         gutter)
    draw(c, rect(mid - px / 2, y_top + drop, mid + px / 2, y_bottom + drop),
         hex_rgb(PAGE_EDGE))

    # ruled lines on whole pixel rows, stopping short of the gutter
    if n >= 48:
        rows, left_in, right_out = [10, 15, 20, 25, 30, 35], 7, 18
    else:
        rows, left_in, right_out = [7, 10, 13, 16, 19, 22], 4, 12
    for yy in rows:
        draw(c, rect(left_in, yy, right_out, yy + 1), hex_rgb(RULE))
        draw(c, rect(n - right_out, yy, n - left_in, yy + 1), hex_rgb(RULE))
    # a red money column near the right of each page
    col = right_out - (3 if n >= 48 else 2)
    for x in (col, n - left_in - (3 if n >= 48 else 2)):
        draw(c, rect(x, rows[0] - 2, x + 1, rows[-1] + 3), hex_rgb(COLUMN))

    # the coin, bottom right, over pages and cover
    cx, cy, r = u(37.5), u(37.5), u(10)
    draw(c, circle(cx, cy, r), hex_rgb(COIN_EDGE))
    draw(c, circle(cx, cy, r - px), hex_rgb(COIN_DARK))
    draw(c, circle(cx - u(0.8), cy - u(0.8), r - px - u(1.2)),
         hex_rgb(COIN))
    draw(c, ring(cx - u(0.8), cy - u(0.8), r - px - u(1.2), r - px - u(2.2)),
         hex_rgb(COIN_LIGHT), 0.6)
    glyph = DOLLAR[n]
    gx = int(round(cx - u(0.8) - len(glyph[0]) / 2.0))
    gy = int(round(cy - u(0.8) - len(glyph) / 2.0))
    for j, line in enumerate(glyph):
        for i, ch in enumerate(line):
            if ch == '#':
                c.pixel(gx + i, gy + j, hex_rgb(COIN_DARK))
                if n >= 48:
                    c.pixel(gx + i + 1, gy + j + 1, hex_rgb(COIN_LIGHT), 0.5)
    return c


# The 16-pixel icon is drawn by hand: at that size every pixel counts and
# scaled-down shapes only blur.
ICON16_PALETTE = {
    'K': COVER_EDGE, 'G': '#24844d', 'E': PAGE_EDGE, 'W': PAGE,
    'S': PAGE_SHADE, 'B': RULE, 'O': COIN_EDGE, 'Y': COIN,
    'L': COIN_LIGHT, 'D': COIN_DARK,
}

ICON16 = [
    "..EEEEE..EEEEE..",
    ".KWWWWWEEWWWWWK.",
    "KGWBBBWSSWBBBWGK",
    "KGWWWWWSSWWWWWGK",
    "KGWBBBWSSWBBBWGK",
    "KGWWWWWSSWWWWWGK",
    "KGWBBBWSSWBBBWGK",
    "KGWWWWWSSWWWWWGK",
    "KGWBBBWSSWBBBWGK",
    "KGWWWWWSSWWWWWGK",
    "KGWBBBWSSWBBBWGK",
    "KGWWWWWSSWWWWWGK",
    "KGEEEEEESEEEEEGK",
    "KGGGGGGEEGGGGGGK",
    ".KKKKKKKKKKKKKK.",
    "................",
]

COIN16 = [  # laid over the lower right corner
    "..OOO..",
    ".OLYYO.",
    "OLYYYDO",
    "OYYYYDO",
    "OYYYDDO",
    ".ODDDO.",
    "..OOO..",
]


def draw_icon16():
    c = Canvas(16)
    for art, x0, y0 in ((ICON16, 0, 0), (COIN16, 9, 9)):
        for y, line in enumerate(art):
            for x, ch in enumerate(line):
                if ch != '.':
                    c.pixel(x0 + x, y0 + y, hex_rgb(ICON16_PALETTE[ch]))
    return c


# ---------------------------------------------------------------------------
# The cursor: a pointing hand, index finger up, drawn pixel by pixel in
# black and white only so it looks the same on every display.
#   '#' black   'o' white   '.' transparent
# The hot spot is the tip of the index finger.
# ---------------------------------------------------------------------------

HAND = [
    "......###.......................",
    ".....#ooo#......................",
    ".....#ooo#......................",
    ".....#ooo#......................",
    ".....#ooo#......................",
    ".....#ooo#......................",
    ".....#ooo#......................",
    ".....#ooo####...................",
    ".....#ooo#ooo####...............",
    ".....#ooo#ooo#ooo###............",
    ".##..#ooo#ooo#ooo#oo#...........",
    "#oo#.#ooo#ooo#ooo#oo#...........",
    "#ooo##ooo#ooo#ooo#oo#...........",
    "#oooo#oooooooooooooo#...........",
    "#ooooooooooooooooooo#...........",
    "#ooooooooooooooooooo#...........",
    "##oooooooooooooooooo#...........",
    ".#oooooooooooooooooo#...........",
    ".##ooooooooooooooooo#...........",
    "..##oooooooooooooooo#...........",
    "...#ooooooooooooooo#............",
    "...##oooooooooooooo#............",
    "....#ooooooooooooo#.............",
    "....#ooooooooooooo#.............",
    "....###############.............",
    "....#ooooooooooooo#.............",
    "....#ooooooooooooo#.............",
    "....###############.............",
    "................................",
    "................................",
    "................................",
    "................................",
]
HAND_HOT_SPOT = (7, 0)


# ---------------------------------------------------------------------------
# File writers
# ---------------------------------------------------------------------------

def bitmap_header(width, height_total, bits, colours_used=0, image_size=0):
    return struct.pack('<IiiHHIIiiII', 40, width, height_total, 1, bits, 0,
                       image_size, 0, 0, colours_used, 0)


def bit_plane(width, height, is_set):
    """1 bit per pixel, bottom-up, rows padded to 32 bits; is_set(x, y) with
    y counted from the top.  Used for AND masks (1 = transparent) and for the
    XOR image of a monochrome cursor (1 = white)."""
    stride = ((width + 31) // 32) * 4
    out = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(width):
            if is_set(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def icon_image(canvas):
    n = canvas.n
    pixels = bytearray()
    for y in range(n - 1, -1, -1):
        for x in range(n):
            r, g, b, a = canvas.px[y][x]
            a8 = int(round(a * 255))
            if a8 == 0:
                pixels += b'\0\0\0\0'
            else:
                pixels += bytes((int(round(b * 255)), int(round(g * 255)),
                                 int(round(r * 255)), a8))
    # Opaque wherever anything is drawn, so displays that ignore alpha
    # still show the whole picture on a clean background.
    mask = bit_plane(n, n,
                     lambda x, y: int(round(canvas.px[y][x][3] * 255)) == 0)
    return bitmap_header(n, 2 * n, 32, 0, len(pixels) + len(mask)) + \
        bytes(pixels) + mask


def write_ico(path, canvases):
    images = [icon_image(c) for c in canvases]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for c, data in zip(canvases, images):
        size = c.n if c.n < 256 else 0
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32,
                           len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


def write_cur(path, rows, hot_x, hot_y):
    n = len(rows)
    assert all(len(r) == n for r in rows), 'cursor must be square'
    # XOR bitmap with a two-colour table: index 0 black, 1 white
    palette = struct.pack('<BBBBBBBB', 0, 0, 0, 0, 255, 255, 255, 0)
    xor = bit_plane(n, n, lambda x, y: rows[y][x] == 'o')
    mask = bit_plane(n, n, lambda x, y: rows[y][x] == '.')
    image = bitmap_header(n, 2 * n, 1, 2, len(xor) + len(mask)) + \
        palette + xor + mask
    out = bytearray(struct.pack('<HHH', 0, 2, 1))
    out += struct.pack('<BBBBHHII', n, n, 2, 0, hot_x, hot_y, len(image),
                       6 + 16)
    out += image
    with open(path, 'wb') as f:
        f.write(out)


# ---------------------------------------------------------------------------
# Checks: catch a slip in the hand-drawn tables before writing, and read the
# written files back the way the loader does.
# ---------------------------------------------------------------------------

def check_tables():
    assert len(ICON16) == 16 and all(len(r) == 16 for r in ICON16), \
        '16 pixel icon must be 16 rows of 16'
    for art in (ICON16, COIN16):
        for r in art:
            for ch in r:
                assert ch == '.' or ch in ICON16_PALETTE, 'unknown colour ' + ch
    assert len(HAND) == 32 and all(len(r) == 32 for r in HAND), \
        'cursor must be 32 rows of 32'
    assert all(ch in '#o.' for r in HAND for ch in r), 'cursor is black/white'
    hx, hy = HAND_HOT_SPOT
    assert HAND[hy][hx] != '.', 'hot spot must be on the fingertip'


def read_back(path, kind, sizes):
    with open(path, 'rb') as f:
        data = f.read()
    reserved, typ, count = struct.unpack_from('<HHH', data, 0)
    assert (reserved, typ, count) == (0, kind, len(sizes)), path
    end = 6 + 16 * count
    for i, n in enumerate(sizes):
        w, h, _, _, _, _, length, offset = struct.unpack_from(
            '<BBBBHHII', data, 6 + 16 * i)
        assert (w, h) == (n, n), path
        assert offset == end and offset + length <= len(data), path
        hdr = struct.unpack_from('<IiiHHIIiiII', data, offset)
        assert hdr[0] == 40 and hdr[1] == n and hdr[2] == 2 * n, path
        bits = hdr[4]
        palette = 2 * 4 if bits == 1 else 0
        stride = ((n * bits + 31) // 32) * 4
        mask_stride = ((n + 31) // 32) * 4
        assert length == 40 + palette + stride * n + mask_stride * n, path
        assert hdr[6] == length - 40 - palette, path   # biSizeImage
        end = offset + length
    assert end == len(data), path


def main():
    check_tables()
    ico = os.path.join(HERE, 'quirvel.ico')
    cur = os.path.join(HERE, 'hand.cur')
    write_ico(ico, [draw_icon16(), draw_icon(32), draw_icon(48)])
    write_cur(cur, HAND, *HAND_HOT_SPOT)
    read_back(ico, 1, [16, 32, 48])
    read_back(cur, 2, [32])


if __name__ == '__main__':
    main()
