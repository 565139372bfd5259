#!/usr/bin/env python3
"""Draws the board pictures of the Settings page: a PCI serial expansion card.

    board.bmp        249 x 95, 8 bits per pixel, run-length encoded (BI_RLE8)  (bitmap 103)
    board_small.bmp  248 x 99, 8 bits per pixel, run-length encoded (BI_RLE8)  (bitmap 120)

Usage: make-bitmaps.py [OUTPUT_DIR]   (default: src/resources next to this script)

Standard library only. The scene is drawn in a 249 x 95 design space, rendered
at four times the size and averaged down, so edges come out smooth. Each
picture gets a median-cut palette of 256 colours and is stored run-length
encoded, which keeps it under half its plain 8-bit size in the library. The
large picture has only a few more than 256 distinct colours, so its palette
moves no channel of any pixel by more than two steps (the script checks): it
looks as it did in 24 bits, at a seventh of the size. The output is deterministic.
"""
import math
import os
import struct
import sys

SUPERSAMPLE = 4

# The body of a themed property page, so the picture blends into the page. A
# centred picture fills the rest of its frame with the top-left pixel: this.
BACKGROUND = (255, 255, 255)

PCB = (24, 116, 60)
PCB_EDGE = (12, 78, 38)
TRACE = (46, 150, 84)
PAD = (200, 200, 196)
GOLD = (214, 172, 58)
GOLD_LIGHT = (246, 214, 120)
GOLD_DARK = (160, 120, 30)
CHIP = (34, 34, 38)
CHIP_TOP = (52, 52, 58)
PIN = (196, 196, 200)
STEEL_LIGHT = (226, 228, 232)
STEEL = (178, 182, 188)
STEEL_DARK = (118, 122, 130)
INSULATOR = (40, 40, 44)
SILK = (232, 236, 230)


class Canvas:
    """An RGB raster drawn in design units (one unit = one output pixel)."""

    def __init__(self, width, height, scale, origin=(0.0, 0.0), unit=1.0):
        self.w = width
        self.h = height
        self.scale = scale
        self.ox, self.oy = origin
        self.unit = unit  # output pixels per design unit
        self.px = [BACKGROUND] * (width * height)

    def _x(self, x):
        return (self.ox + x * self.unit) * self.scale

    def _y(self, y):
        return (self.oy + y * self.unit) * self.scale

    def _blend(self, i, colour, alpha):
        if alpha >= 1.0:
            self.px[i] = colour
        else:
            r, g, b = self.px[i]
            self.px[i] = (round(r + (colour[0] - r) * alpha),
                          round(g + (colour[1] - g) * alpha),
                          round(b + (colour[2] - b) * alpha))

    def _span(self, x0, x1, y0, y1):
        return (max(0, int(math.floor(x0))), min(self.w, int(math.ceil(x1))),
                max(0, int(math.floor(y0))), min(self.h, int(math.ceil(y1))))

    def rect(self, x, y, w, h, colour, alpha=1.0):
        xa, xb, ya, yb = self._span(self._x(x), self._x(x + w), self._y(y), self._y(y + h))
        for py in range(ya, yb):
            row = py * self.w
            for px in range(xa, xb):
                self._blend(row + px, colour, alpha)

    def vgradient(self, x, y, w, h, top, bottom):
        xa, xb, ya, yb = self._span(self._x(x), self._x(x + w), self._y(y), self._y(y + h))
        for py in range(ya, yb):
            t = (py - ya) / max(1, yb - ya - 1)
            c = tuple(round(top[k] + (bottom[k] - top[k]) * t) for k in range(3))
            row = py * self.w
            for px in range(xa, xb):
                self.px[row + px] = c

    def hgradient(self, x, y, w, h, left, right):
        xa, xb, ya, yb = self._span(self._x(x), self._x(x + w), self._y(y), self._y(y + h))
        for px in range(xa, xb):
            t = (px - xa) / max(1, xb - xa - 1)
            c = tuple(round(left[k] + (right[k] - left[k]) * t) for k in range(3))
            for py in range(ya, yb):
                self.px[py * self.w + px] = c

    def polygon(self, points, colour, alpha=1.0):
        pts = [(self._x(x), self._y(y)) for x, y in points]
        ys = [p[1] for p in pts]
        ya, yb = max(0, int(math.floor(min(ys)))), min(self.h, int(math.ceil(max(ys))))
        n = len(pts)
        for py in range(ya, yb):
            cy = py + 0.5
            xs = []
            for i in range(n):
                (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
                if (y0 <= cy < y1) or (y1 <= cy < y0):
                    xs.append(x0 + (cy - y0) * (x1 - x0) / (y1 - y0))
            xs.sort()
            row = py * self.w
            for a, b in zip(xs[0::2], xs[1::2]):
                for px in range(max(0, int(math.ceil(a - 0.5))), min(self.w, int(math.ceil(b - 0.5)))):
                    self._blend(row + px, colour, alpha)

    def round_rect(self, x, y, w, h, r, colour, alpha=1.0):
        pts = []
        for cx, cy, a0 in ((x + w - r, y + r, -90), (x + w - r, y + h - r, 0),
                           (x + r, y + h - r, 90), (x + r, y + r, 180)):
            for k in range(7):
                a = math.radians(a0 + k * 15)
                pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
        self.polygon(pts, colour, alpha)

    def circle(self, cx, cy, r, colour, alpha=1.0):
        pts = [(cx + r * math.cos(a), cy + r * math.sin(a))
               for a in (2 * math.pi * k / 32 for k in range(32))]
        self.polygon(pts, colour, alpha)

    def line(self, points, width, colour, alpha=1.0):
        """A polyline of the given width with round joints."""
        for (x0, y0), (x1, y1) in zip(points, points[1:]):
            dx, dy = x1 - x0, y1 - y0
            length = math.hypot(dx, dy) or 1.0
            nx, ny = -dy / length * width / 2, dx / length * width / 2
            self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny),
                          (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], colour, alpha)
        for x, y in points[1:-1]:
            self.circle(x, y, width / 2, colour, alpha)

    def downsample(self):
        s = self.scale
        ow, oh = self.w // s, self.h // s
        out = []
        n = s * s
        for oy in range(oh):
            for ox in range(ow):
                r = g = b = 0
                for sy in range(oy * s, oy * s + s):
                    row = sy * self.w
                    for sx in range(ox * s, ox * s + s):
                        c = self.px[row + sx]
                        r += c[0]
                        g += c[1]
                        b += c[2]
                out.append(((r + n // 2) // n, (g + n // 2) // n, (b + n // 2) // n))
        return ow, oh, out


# ----------------------------------------------------------------- the scene

def draw_chip_qfp(c, x, y, size):
    """A square flat-pack chip with leads on all four sides."""
    lead = 2.2
    count = int(size // 2.4)
    pitch = (size - 4) / max(1, count - 1)
    for k in range(count):
        p = 2 + k * pitch
        c.rect(x + p - 0.45, y - lead, 0.9, lead, PIN)
        c.rect(x + p - 0.45, y + size, 0.9, lead, PIN)
        c.rect(x - lead, y + p - 0.45, lead, 0.9, PIN)
        c.rect(x + size, y + p - 0.45, lead, 0.9, PIN)
    c.rect(x, y, size, size, CHIP)
    c.rect(x + 1, y + 1, size - 2, size - 2, CHIP_TOP)
    c.circle(x + 3.2, y + 3.2, 1.1, (90, 90, 96))


def draw_chip_soic(c, x, y, w, h, pins):
    """A small-outline chip lying horizontally, leads above and below."""
    pitch = (w - 3) / max(1, pins - 1)
    for k in range(pins):
        p = 1.5 + k * pitch
        c.rect(x + p - 0.45, y - 1.6, 0.9, 1.6, PIN)
        c.rect(x + p - 0.45, y + h, 0.9, 1.6, PIN)
    c.rect(x, y, w, h, CHIP)
    c.rect(x + 0.7, y + 0.7, w - 1.4, h - 1.4, CHIP_TOP)
    c.circle(x + 1.8, y + h / 2, 0.7, (90, 90, 96))


def draw_smd(c, x, y, horizontal, body):
    """A two-terminal surface-mount part (resistor or capacitor)."""
    if horizontal:
        c.rect(x, y, 3.2, 1.6, PAD)
        c.rect(x + 0.8, y, 1.6, 1.6, body)
    else:
        c.rect(x, y, 1.6, 3.2, PAD)
        c.rect(x, y + 0.8, 1.6, 1.6, body)


def draw_dsub(c, cx, top, height):
    """A nine-pin D-sub socket seen from the front, standing on end."""
    width = height * 0.46
    taper = height * 0.09
    x0, x1 = cx - width / 2, cx + width / 2
    y0, y1 = top, top + height
    # Mounting flange with its two hex jack screws.
    c.round_rect(x0 - 2.2, y0 - 7, width + 4.4, height + 14, 1.5, STEEL_DARK)
    c.round_rect(x0 - 1.6, y0 - 6.4, width + 3.2, height + 12.8, 1.2, STEEL)
    for sy in (y0 - 3.6, y1 + 3.6):
        c.polygon([(cx + 2.6 * math.cos(math.radians(30 + 60 * k)),
                    sy + 2.6 * math.sin(math.radians(30 + 60 * k))) for k in range(6)], STEEL_DARK)
        c.circle(cx, sy, 1.2, (70, 72, 78))
    # The D-shaped shell: the wide side left, tapering to the right.
    shell = [(x0, y0), (x1, y0 + taper), (x1, y1 - taper), (x0, y1)]
    c.polygon(shell, STEEL_LIGHT)
    inner = [(x0 + 1.1, y0 + 1.2), (x1 - 1.1, y0 + taper + 1.0),
             (x1 - 1.1, y1 - taper - 1.0), (x0 + 1.1, y1 - 1.2)]
    c.polygon(inner, INSULATOR)
    # Five contacts on the wide side, four on the narrow one.
    for k in range(5):
        c.circle(cx - width * 0.17, y0 + height * (0.17 + 0.165 * k), 0.9, GOLD_LIGHT)
    for k in range(4):
        c.circle(cx + width * 0.17, y0 + height * (0.25 + 0.165 * k), 0.9, GOLD_LIGHT)


def draw_scene(c):
    # Soft shadow under the board and its edge connector.
    for grow, alpha in ((2.0, 0.06), (1.2, 0.08), (0.5, 0.10)):
        c.round_rect(27 - grow + 2, 10 - grow + 2, 216 + 2 * grow, 66 + 2 * grow, 3 + grow,
                     (0, 0, 0), alpha)
        c.rect(62 - grow + 2, 74 + 2, 140 + 2 * grow, 14 + grow, (0, 0, 0), alpha)

    # Gold fingers of the bus connector, on a tab below the board, with the key notch.
    c.rect(62, 74, 140, 14, PCB)
    c.rect(62, 74, 140, 14, PCB_EDGE, 0.25)
    notch = 110
    c.rect(notch, 81, 4, 7, BACKGROUND)
    x = 64.0
    while x < 199:
        if not (notch - 2.2 < x < notch + 4.2):
            c.rect(x, 79.5, 2.0, 8.5, GOLD_DARK)
            c.rect(x + 0.3, 79.8, 1.4, 8.0, GOLD)
            c.rect(x + 0.5, 80.2, 0.6, 6.5, GOLD_LIGHT)
        x += 3.0

    # The board itself.
    c.round_rect(27, 10, 216, 66, 3, PCB_EDGE)
    c.round_rect(28, 11, 214, 64, 2.4, PCB)
    c.circle(235, 18, 3.4, GOLD_DARK)
    c.circle(235, 18, 2.6, GOLD)
    c.circle(235, 18, 1.6, BACKGROUND)

    # Copper traces: connector to line drivers, line drivers to the UART,
    # UART to the bus bridge, bridge down to the gold fingers.
    traces = [
        [(32, 24), (40, 24), (44, 20), (52, 20)],
        [(32, 28), (42, 28), (46, 24), (52, 24)],
        [(32, 58), (40, 58), (44, 54), (52, 54)],
        [(32, 62), (42, 62), (46, 58), (52, 58)],
        [(70, 22), (84, 22), (90, 28), (104, 28)],
        [(70, 24.5), (82, 24.5), (88, 31), (104, 31)],
        [(70, 55), (84, 55), (92, 47), (104, 47)],
        [(70, 57.5), (86, 57.5), (94, 50), (104, 50)],
        [(134, 33), (152, 33)],
        [(134, 36), (152, 36)],
        [(134, 39), (152, 39)],
        [(134, 45), (142, 45), (146, 49), (152, 49)],
        [(170, 64), (170, 70), (166, 74)],
        [(174, 64), (174, 70), (178, 74)],
        [(162, 64), (158, 70), (150, 74)],
        [(158, 64), (152, 68), (140, 74)],
        [(120, 62), (120, 68), (126, 74)],
        [(116, 62), (114, 68), (104, 74)],
        [(190, 40), (204, 40), (210, 46), (214, 46)],
        [(190, 44), (200, 44), (204, 54), (214, 54)],
        [(80, 40), (96, 40)],
    ]
    for t in traces:
        c.line(t, 0.8, TRACE)
    for x in range(66, 200, 6):
        if abs(x - notch) > 4:
            c.line([(x + 1, 76), (x + 1, 79.5)], 0.9, TRACE)
    for vx, vy in ((44, 20), (46, 24), (44, 54), (46, 58), (96, 40), (80, 40), (142, 45),
                   (210, 46), (204, 54), (152, 68), (114, 68)):
        c.circle(vx, vy, 1.1, PAD)
        c.circle(vx, vy, 0.45, PCB_EDGE)

    # Component outlines of the silkscreen (no lettering).
    for x, y, w, h in ((50.5, 16.5, 21, 12), (50.5, 50.5, 21, 12), (100, 22, 36, 34),
                       (149, 25, 44, 42), (210, 38, 16, 22)):
        c.line([(x, y), (x + w, y), (x + w, y + h), (x, y + h), (x, y)], 0.5, SILK, 0.55)

    # Line drivers beside the connectors, the quad UART, the bus bridge,
    # the configuration memory.
    draw_chip_soic(c, 52, 19, 18, 7, 8)
    draw_chip_soic(c, 52, 53, 18, 7, 8)
    draw_chip_qfp(c, 105, 27, 24)
    draw_chip_qfp(c, 154, 29, 34)
    draw_chip_soic(c, 212, 44, 12, 9, 4)

    # Crystal oscillator.
    c.round_rect(83, 61, 13, 7, 2.2, STEEL_DARK)
    c.round_rect(83.6, 61.6, 11.8, 5.8, 1.8, STEEL_LIGHT)

    # Electrolytic capacitor seen from above.
    c.circle(224, 28, 5.6, (30, 34, 90))
    c.circle(224, 28, 4.7, STEEL)
    c.line([(221, 28), (227, 28)], 0.5, STEEL_DARK)
    c.line([(224, 25), (224, 31)], 0.5, STEEL_DARK)
    c.polygon([(224, 22.4), (229.6, 28), (228, 26), (226, 23.4)], (150, 160, 190))

    # Decoupling capacitors and resistors.
    ceramic, resistor = (196, 150, 96), (30, 30, 30)
    for x, y in ((140, 24), (140, 60), (196, 28), (196, 62), (98, 18), (98, 60), (76, 38)):
        draw_smd(c, x, y, False, ceramic)
    for x, y in ((74, 30), (74, 46), (200, 68), (124, 64), (150, 18), (180, 18)):
        draw_smd(c, x, y, True, resistor)
    for y in (34, 38, 42):
        draw_smd(c, 38, y, True, ceramic)

    # Mounting bracket: the folded top tab, the plate, the tongue at the bottom.
    c.polygon([(4, 3), (38, 3), (38, 7.5), (24, 7.5), (24, 9)], STEEL_DARK)
    c.hgradient(4.5, 3.5, 33, 3.5, STEEL_LIGHT, STEEL)
    c.circle(33, 5.2, 1.4, STEEL_DARK)
    c.polygon([(4, 4), (24, 4), (24, 84), (18, 92), (10, 92), (4, 86)], STEEL_DARK)
    c.hgradient(5, 5, 18, 79, STEEL_LIGHT, STEEL)
    c.polygon([(5, 84), (23, 84), (17.5, 91), (10.5, 91), (5, 85.5)], STEEL)
    draw_dsub(c, 14, 18, 22)
    draw_dsub(c, 14, 54, 22)


def render(width, height):
    s = SUPERSAMPLE
    unit = min(width / 249.0, height / 95.0)
    origin = ((width - 249.0 * unit) / 2, (height - 95.0 * unit) / 2)
    c = Canvas(width * s, height * s, s, origin, unit)
    draw_scene(c)
    return c.downsample()


# ----------------------------------------------------------------- BMP files

BI_RLE8 = 1


def bmp_header(width, height, bits, palette_size, image_size, compression=0):
    offset = 14 + 40 + 4 * palette_size
    file_header = struct.pack('<2sIHHI', b'BM', offset + image_size, 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, compression, image_size,
                       2835, 2835, palette_size, palette_size)
    return file_header + info


def median_cut(colours, count):
    """Palette of at most `count` colours; `colours` maps colour -> frequency."""
    boxes = [list(colours.items())]
    while len(boxes) < count:
        best, best_range, axis = None, -1, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for a in range(3):
                vals = [c[a] for c, _ in box]
                rng = max(vals) - min(vals)
                if rng > best_range:
                    best, best_range, axis = i, rng, a
        if best is None or best_range == 0:
            break
        box = sorted(boxes.pop(best), key=lambda e: e[0][axis])
        total = sum(n for _, n in box)
        acc, cut = 0, 1
        for k, (_, n) in enumerate(box):
            acc += n
            if acc * 2 >= total:
                cut = min(max(1, k + 1), len(box) - 1)
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(round(sum(c[a] * n for c, n in box) / total) for a in range(3)))
    return palette


def rle8_row(row):
    """One row in BI_RLE8: runs of a repeated index as (count, index), other
    stretches of three or more pixels in absolute mode (0, count, indexes,
    padded to a word), then the end-of-line mark."""
    out = bytearray()
    i, n = 0, len(row)
    while i < n:
        j = i
        while j < n and j - i < 255 and row[j] == row[i]:
            j += 1
        if j - i >= 2:
            out += bytes((j - i, row[i]))
            i = j
            continue
        j = i
        while j < n and j - i < 255 and not (j + 2 < n and row[j] == row[j + 1] == row[j + 2]):
            j += 1
        literal = row[i:j]
        if len(literal) < 3:
            for index in literal:
                out += bytes((1, index))
        else:
            out += bytes((0, len(literal))) + literal + bytes(len(literal) % 2)
        i = j
    return bytes(out + b'\0\0')


def unrle8(data, width, height):
    """Decodes what rle8_row wrote, to check the encoding."""
    rows, row, i = [], bytearray(), 0
    while len(rows) < height:
        count, value = data[i], data[i + 1]
        i += 2
        if count:
            row += bytes([value]) * count
        elif value == 0 or value == 1:
            rows.append(bytes(row))
            row = bytearray()
        else:
            row += data[i:i + value]
            i += value + value % 2
    assert data[i:i + 2] == b'\0\1' and all(len(r) == width for r in rows)
    return rows


def write_bmp8(path, width, height, pixels, max_error=255):
    freq = {}
    for p in pixels:
        freq[p] = freq.get(p, 0) + 1
    palette = sorted(set(median_cut(freq, 256)))
    nearest = {}
    for colour in freq:
        nearest[colour] = min(range(len(palette)), key=lambda i: sum(
            (colour[a] - palette[i][a]) ** 2 for a in range(3)))
    # The largest change the palette makes to any channel of any pixel.
    assert max(abs(colour[a] - palette[nearest[colour]][a]) for colour in freq for a in range(3)) <= max_error
    rows = [bytes(nearest[p] for p in pixels[y * width:(y + 1) * width])
            for y in range(height - 1, -1, -1)]
    data = b''.join(rle8_row(row) for row in rows) + b'\0\1'
    assert unrle8(data, width, height) == rows
    table = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    with open(path, 'wb') as f:
        f.write(bmp_header(width, height, 8, len(palette), len(data), BI_RLE8) + table + data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'src', 'resources')
    w, h, px = render(249, 95)
    # Its colours fit the palette with no visible change; the small one's need not.
    write_bmp8(os.path.join(out, 'board.bmp'), w, h, px, max_error=2)
    w, h, px = render(248, 99)
    write_bmp8(os.path.join(out, 'board_small.bmp'), w, h, px)


if __name__ == '__main__':
    main()
