#!/usr/bin/env python3
"""Draws the program's own icons (toolbar buttons, the fixed pictures of the
catalogue views, the program icon and Through.ico) as PNG and ICO files.

Run from the repository root: python3 resources/make_icons.py
Only the standard library is used; the shapes are laid out on a 16x16 grid
and rendered at 16 or 32 pixels. The program icon is also written as SVG and
rendered from the same shapes at every size the icon theme installs (16 to
256 pixels)."""

import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "icons")

BLACK = (0, 0, 0, 255)
DARK = (64, 64, 64, 255)
GREY = (128, 128, 128, 255)
LIGHT = (200, 200, 200, 255)
WHITE = (255, 255, 255, 255)
PAPER = (250, 250, 245, 255)
BLUE = (40, 90, 200, 255)
SKY = (120, 170, 240, 255)
NAVY = (20, 40, 120, 255)
YELLOW = (250, 210, 60, 255)
ORANGE = (230, 140, 30, 255)
GREEN = (40, 150, 60, 255)
RED = (200, 40, 40, 255)
SILVER = (215, 220, 228, 255)
PURPLE = (150, 80, 190, 255)


class Canvas:
    def __init__(self, size):
        self.size = size
        self.scale = size / 16.0
        self.px = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def _set(self, x, y, c):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = c

    def _cover(self, inside, c):
        s = self.scale
        for y in range(self.size):
            for x in range(self.size):
                if inside((x + 0.5) / s, (y + 0.5) / s):
                    self._set(x, y, c)

    def rect(self, x0, y0, x1, y1, fill=None, line=BLACK):
        """A rectangle covering grid cells x0..x1, y0..y1 (inclusive)."""
        if fill:
            self._cover(lambda u, v: x0 <= u < x1 + 1 and y0 <= v < y1 + 1, fill)
        if line:
            t = 1.0 / self.scale
            self._cover(lambda u, v: x0 <= u < x1 + 1 and y0 <= v < y1 + 1 and
                        (u < x0 + 1 or u >= x1 or v < y0 + 1 or v >= y1) and True, line) if self.size == 16 else \
                self._cover(lambda u, v: x0 <= u < x1 + 1 and y0 <= v < y1 + 1 and
                            (u < x0 + t * 1.5 or u >= x1 + 1 - t * 1.5 or v < y0 + t * 1.5 or v >= y1 + 1 - t * 1.5), line)

    def disk(self, cx, cy, r, fill, line=BLACK):
        self._cover(lambda u, v: (u - cx) ** 2 + (v - cy) ** 2 <= r * r, line or fill)
        inner = r - (1.0 if self.size == 16 else 0.75)
        if line:
            self._cover(lambda u, v: (u - cx) ** 2 + (v - cy) ** 2 <= inner * inner, fill)

    def poly(self, pts, fill, line=BLACK):
        def inside(u, v, pts=pts):
            c = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > v) != (yj > v) and u < (xj - xi) * (v - yi) / (yj - yi) + xi:
                    c = not c
                j = i
            return c
        self._cover(inside, fill)
        if line:
            for i in range(len(pts)):
                self.line(pts[i], pts[(i + 1) % len(pts)], line)

    def line(self, a, b, c, width=1.0):
        (x0, y0), (x1, y1) = a, b
        w = width * 0.5
        dx, dy = x1 - x0, y1 - y0
        n = dx * dx + dy * dy or 1e-9

        def inside(u, v):
            t = max(0.0, min(1.0, ((u - x0) * dx + (v - y0) * dy) / n))
            px, py = x0 + t * dx, y0 + t * dy
            return (u - px) ** 2 + (v - py) ** 2 <= w * w
        self._cover(inside, c)

    def png(self):
        raw = b"".join(b"\0" + b"".join(struct.pack("4B", *p) for p in row) for row in self.px)

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.size, self.size, 8, 6, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def page(c, x0=3, y0=1, x1=12, y1=14):
    c.poly([(x0, y0), (x1 - 3, y0), (x1 + 1, y0 + 4), (x1 + 1, y1 + 1), (x0, y1 + 1)], PAPER)
    c.poly([(x1 - 3, y0), (x1 + 1, y0 + 4), (x1 - 3, y0 + 4)], LIGHT)


def folder(c, open_=False):
    c.poly([(1, 3), (6, 3), (7, 5), (15, 5), (15, 14), (1, 14)], YELLOW)
    if open_:
        c.poly([(3, 8), (16, 8), (14, 14), (1, 14)], (255, 230, 120, 255))


def disc(c, cx=8, cy=8, r=6.5):
    c.disk(cx, cy, r, SILVER)
    c.disk(cx, cy, r * 0.62, (190, 210, 235, 255), None)
    c.disk(cx, cy, 1.6, WHITE)


def arrow_curve(c, left=True):
    # A bent arrow: undo (left) or redo (right).
    pts = [(3, 9), (4, 6), (7, 4.5), (10, 4.5), (12.5, 6.5), (13, 10)]
    if not left:
        pts = [(16 - x, y) for x, y in pts]
    for a, b in zip(pts, pts[1:]):
        c.line(a, b, BLUE, 2.0)
    tip = (3, 9) if left else (13, 9)
    s = 1 if left else -1
    c.poly([(tip[0] - 2 * s, tip[1] - 3), (tip[0] + 3 * s, tip[1] - 1), (tip[0] - 1 * s, tip[1] + 3)], BLUE, NAVY)


def magnifier(c, x=6, y=6):
    c.line((x + 3, y + 3), (x + 8, y + 8), DARK, 2.2)
    c.disk(x, y, 4.2, (210, 235, 255, 255))


def draw(name, c):
    if name == "57600":  # new
        page(c)
        c.disk(12.5, 3.5, 2.5, YELLOW, ORANGE)
    elif name == "57601":  # open
        folder(c, True)
        c.line((9, 1), (13, 1), GREEN, 1.5)
        c.poly([(12, -0.5), (15, 1.5), (12, 3.5)], GREEN, None)
    elif name == "57603":  # save
        c.rect(1, 1, 14, 14, BLUE, NAVY)
        c.rect(4, 1, 11, 6, WHITE, NAVY)
        c.rect(4, 9, 11, 14, SILVER, NAVY)
        c.rect(8, 2, 9, 4, NAVY, None)
    elif name == "57643":
        arrow_curve(c, True)
    elif name == "57644":
        arrow_curve(c, False)
    elif name == "32791":  # new read: a disc with a new-page spark
        disc(c, 7.5, 8.5, 6.5)
        c.disk(13, 3, 2.5, YELLOW, ORANGE)
    elif name == "32792":  # additional read: a disc with a plus
        disc(c, 7.5, 8.5, 6.5)
        c.rect(10, 1, 15, 6, WHITE, GREEN)
        c.line((12.5, 2), (12.5, 6), GREEN, 1.2)
        c.line((10.5, 3.5), (14.5, 3.5), GREEN, 1.2)
    elif name == "57635":  # cut: scissors
        c.line((4, 1), (10, 10), DARK, 1.3)
        c.line((12, 1), (6, 10), DARK, 1.3)
        c.disk(4.5, 12, 2.6, WHITE, RED)
        c.disk(11.5, 12, 2.6, WHITE, RED)
    elif name == "57634":  # copy: two pages
        c.rect(1, 1, 9, 11, PAPER, DARK)
        c.rect(6, 5, 14, 15, PAPER, DARK)
        for y in (8, 10, 12):
            c.line((8, y + 0.5), (12, y + 0.5), GREY, 0.8)
    elif name == "57637":  # paste: clipboard with a page
        c.rect(1, 2, 11, 15, ORANGE, DARK)
        c.rect(4, 1, 8, 3, SILVER, DARK)
        c.rect(7, 6, 15, 15, PAPER, DARK)
    elif name == "57636":  # find in the catalogue
        page(c, 1, 1, 10, 14)
        magnifier(c, 9, 8)
    elif name == "32777":  # find from files: two pages and a magnifier
        page(c, 0, 0, 8, 10)
        page(c, 3, 3, 11, 14)
        magnifier(c, 10, 9)
    elif name == "32775":  # up one folder
        folder(c)
        c.line((9, 12), (9, 7), GREEN, 1.8)
        c.poly([(5.5, 8.5), (9, 4.5), (12.5, 8.5)], GREEN, None)
    elif name == "59409":  # large icons
        c.rect(1, 1, 6, 6, SKY, NAVY)
        c.rect(9, 1, 14, 6, SKY, NAVY)
        c.rect(1, 9, 6, 14, SKY, NAVY)
        c.rect(9, 9, 14, 14, SKY, NAVY)
    elif name == "59408":  # small icons
        for y in (2, 7, 12):
            for x in (1, 8):
                c.rect(x, y, x + 2, y + 2, SKY, NAVY)
                c.line((x + 3.5, y + 1.5), (x + 6.5, y + 1.5), DARK, 0.8)
    elif name == "59410":  # list
        for y in (1, 5, 9, 13):
            c.rect(1, y, 3, y + 2, SKY, NAVY)
            c.line((5, y + 1.5), (14, y + 1.5), DARK, 1.0)
    elif name == "59411":  # details
        c.rect(0, 1, 15, 3, LIGHT, DARK)
        for y in (6, 9, 12):
            c.rect(1, y, 3, y + 2, SKY, NAVY)
            c.line((5, y + 1.5), (9, y + 1.5), DARK, 1.0)
            c.line((11, y + 1.5), (14, y + 1.5), GREY, 1.0)
    elif name == "57664":  # about
        c.disk(8, 8, 7, (60, 110, 220, 255), NAVY)
        c.rect(7, 7, 8, 12, WHITE, None)
        c.rect(7, 3, 8, 4, WHITE, None)
    elif name == "catalogue":  # a document page with a disc
        page(c, 2, 0, 12, 15)
        disc(c, 8, 9.5, 4.8)
    elif name == "optical-disc":
        disc(c)
    elif name == "floppy-disk":
        c.rect(1, 1, 14, 14, (50, 50, 60, 255), BLACK)
        c.rect(4, 1, 11, 5, SILVER, BLACK)
        c.rect(8, 2, 9, 4, (50, 50, 60, 255), None)
        c.rect(3, 8, 12, 14, PAPER, BLACK)
    elif name == "hard-disk":
        c.poly([(1, 6), (4, 3), (15, 3), (15, 10), (12, 13), (1, 13)], SILVER)
        c.rect(1, 6, 11, 13, (180, 185, 195, 255), DARK)
        c.rect(8, 9, 9, 10, GREEN, None)
    elif name == "blank":
        pass
    elif name == "through":  # the shortcut base picture: a plain page
        page(c)
    else:
        raise SystemExit("unknown icon " + name)


def render(name, size):
    c = Canvas(size)
    draw(name, c)
    return c


def ico(images):
    """An .ico file with PNG-compressed images (sizes 16 and 32)."""
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, data in images:
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        blobs += data
    return header + entries + blobs


def bmp_ico(canvas):
    """One 32-bit BMP icon image (the classic format every reader takes)."""
    n = canvas.size
    head = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(struct.pack("4B", p[2], p[1], p[0], p[3]) for row in reversed(canvas.px) for p in row)
    mask_row = ((n + 31) // 32) * 4
    mask = b"".join(
        bytes(sum((1 << (7 - b)) for b in range(8) if x * 8 + b < n and row[x * 8 + b][3] == 0) for x in range(mask_row))
        for row in reversed(canvas.px))
    return head + pixels + mask


# The program icon as SVG and as PNG at every size of the icon theme, all
# from one description: a disc with a listing card in front of it. Shapes on the 16x16 grid: (kind, geometry, fill, stroke,
# stroke width).
APP_SHAPES = [
    ("circle", (7.5, 7.5, 7.0), (215, 220, 228), (64, 64, 64), 0.45),
    ("circle", (7.5, 7.5, 4.4), (190, 210, 235), None, 0),
    ("circle", (7.5, 7.5, 1.7), (255, 255, 255), (64, 64, 64), 0.35),
    ("rect", (8.5, 8.5, 15.5, 15.5, 0.7), (250, 250, 245), (64, 64, 64), 0.45),
    ("line", (10.2, 10.8, 13.8, 10.8), None, (40, 90, 200), 0.6),
    ("line", (10.2, 12.4, 13.8, 12.4), None, (128, 128, 128), 0.6),
    ("line", (10.2, 14.0, 12.6, 14.0), None, (128, 128, 128), 0.6),
]


def _shape_parts(kind, g, width):
    """Inside tests (fill, stroke) for one shape in grid coordinates."""
    w = width / 2.0
    if kind == "circle":
        cx, cy, r = g

        def dist(u, v):
            return math.hypot(u - cx, v - cy) - r
    elif kind == "rect":
        x0, y0, x1, y1, rr = g

        def dist(u, v):
            qx = abs(u - (x0 + x1) / 2) - ((x1 - x0) / 2 - rr)
            qy = abs(v - (y0 + y1) / 2) - ((y1 - y0) / 2 - rr)
            return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - rr
    else:
        x0, y0, x1, y1 = g
        dx, dy = x1 - x0, y1 - y0
        n = dx * dx + dy * dy

        def dist(u, v):
            t = max(0.0, min(1.0, ((u - x0) * dx + (v - y0) * dy) / n))
            return math.hypot(u - x0 - t * dx, v - y0 - t * dy) - w
        return (lambda u, v: False), (lambda u, v: dist(u, v) <= 0)
    return (lambda u, v: dist(u, v) <= 0), (lambda u, v: abs(dist(u, v)) <= w)


def smooth_app_png(size, samples=4, min_stroke_px=0.9):
    """The program icon at one size, each pixel averaged over samples^2 points.
    Outlines are at least min_stroke_px wide, so that they stay visible at 16
    pixels; from 32 pixels up the SVG's own widths are wider than that."""
    scale = size / 16.0
    parts = [(_shape_parts(k, g, max(sw, min_stroke_px / scale)), fill, stroke) for k, g, fill, stroke, sw in APP_SHAPES]
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    u = (x + (sx + 0.5) / samples) / scale
                    v = (y + (sy + 0.5) / samples) / scale
                    colour = None
                    for (inside_fill, inside_stroke), fill, stroke in parts:
                        if stroke and inside_stroke(u, v):
                            colour = stroke
                        elif fill and inside_fill(u, v):
                            colour = fill
                    if colour:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            n = samples * samples
            a = acc[3]
            row.append((round(acc[0] / a) if a else 0, round(acc[1] / a) if a else 0,
                        round(acc[2] / a) if a else 0, round(255 * a / n)))
        rows.append(row)
    c = Canvas(size)
    c.px = rows
    return c.png()


def app_svg():
    def rgb(c):
        return "#%02x%02x%02x" % c
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 16 16">']
    for kind, g, fill, stroke, sw in APP_SHAPES:
        paint = 'fill="%s"' % (rgb(fill) if fill else "none")
        if stroke:
            paint += ' stroke="%s" stroke-width="%g" stroke-linecap="round"' % (rgb(stroke), sw)
        if kind == "circle":
            out.append('  <circle cx="%g" cy="%g" r="%g" %s/>' % (g + (paint,)))
        elif kind == "rect":
            x0, y0, x1, y1, rr = g
            out.append('  <rect x="%g" y="%g" width="%g" height="%g" rx="%g" %s/>' % (x0, y0, x1 - x0, y1 - y0, rr, paint))
        else:
            out.append('  <line x1="%g" y1="%g" x2="%g" y2="%g" %s/>' % (g + (paint,)))
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main():
    os.makedirs(OUT, exist_ok=True)
    toolbar = ["57600", "57601", "57603", "57643", "57644", "32791", "32792", "57635", "57634", "57637", "57636",
               "32777", "32775", "59409", "59408", "59410", "59411", "57664"]
    for name in toolbar:
        with open(os.path.join(OUT, "tb-%s.png" % name), "wb") as f:
            f.write(render(name, 16).png())
    for name in ["catalogue", "optical-disc", "floppy-disk", "hard-disk", "blank"]:
        for size in (16, 32):
            with open(os.path.join(OUT, "%s-%d.png" % (name, size)), "wb") as f:
                f.write(render(name, size).png())
    # Every size of the program icon comes from the shapes of its SVG.
    for size in (16, 32, 48, 64, 128, 256):
        with open(os.path.join(OUT, "app-%d.png" % size), "wb") as f:
            f.write(smooth_app_png(size))
    with open(os.path.join(OUT, "app.svg"), "w") as f:
        f.write(app_svg())
    with open(os.path.join(os.path.dirname(OUT), "Through.ico"), "wb") as f:
        f.write(ico([(16, bmp_ico(render("through", 16))), (32, bmp_ico(render("through", 32)))]))


if __name__ == "__main__":
    main()
