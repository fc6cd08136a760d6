#!/usr/bin/env python3
"""Draws Humitrax's artwork and writes it next to this script.

    humitrax.ico        the application icon: 48, 32 and 16 px, each in 256
                        colours (8-bit palette) and in 32-bit colour (BGRA)
    humitrax-16.png     the same 32-bit images for the desktop's icon theme
    humitrax-32.png
    humitrax-48.png
    Image1.gif          the picture in the results area, 139 x 138 px

Standard library only (Python 3.9 or later). The output is deterministic, so
running it again reproduces the committed files byte for byte:

    python3 resources/generate_artwork.py
    python3 resources/generate_artwork.py --check   # are the files as drawn?
"""

import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# The window's grey: half-transparent edges of the 256-colour images are
# blended onto it, since that is where the picture is shown.
WINDOW_GREY = (0xE0, 0xE0, 0xE0)


# --------------------------------------------------------------------------
# A small anti-aliased rasteriser: shapes are masks of sub-samples, painted
# with a colour (or a colour function) onto a float RGBA canvas.
# --------------------------------------------------------------------------

class Canvas:
    def __init__(self, width, height, samples=4):
        self.width, self.height, self.ss = width, height, samples
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    # A mask is a bytearray of (width*ss) x (height*ss) sub-samples.
    def new_mask(self):
        return bytearray(self.width * self.ss * self.height * self.ss)

    def _sample_bounds(self, x0, y0, x1, y1):
        ss = self.ss
        sx0 = max(0, int(math.floor(x0 * ss)))
        sy0 = max(0, int(math.floor(y0 * ss)))
        sx1 = min(self.width * ss, int(math.ceil(x1 * ss)) + 1)
        sy1 = min(self.height * ss, int(math.ceil(y1 * ss)) + 1)
        return sx0, sy0, sx1, sy1

    def mark(self, mask, inside, bounds):
        """Marks every sub-sample whose centre satisfies inside(x, y)."""
        ss = self.ss
        row = self.width * ss
        sx0, sy0, sx1, sy1 = self._sample_bounds(*bounds)
        for sy in range(sy0, sy1):
            y = (sy + 0.5) / ss
            base = sy * row
            for sx in range(sx0, sx1):
                if not mask[base + sx]:
                    x = (sx + 0.5) / ss
                    if inside(x, y):
                        mask[base + sx] = 1
        return mask

    def ellipse(self, cx, cy, rx, ry, mask=None):
        mask = mask if mask is not None else self.new_mask()
        return self.mark(mask,
                         lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0,
                         (cx - rx, cy - ry, cx + rx, cy + ry))

    def polygon(self, points, mask=None):
        """Even-odd fill of a closed polygon."""
        mask = mask if mask is not None else self.new_mask()
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        edges = list(zip(points, points[1:] + points[:1]))

        def inside(x, y):
            crossings = 0
            for (ax, ay), (bx, by) in edges:
                if (ay > y) != (by > y):
                    if x < ax + (y - ay) * (bx - ax) / (by - ay):
                        crossings += 1
            return crossings % 2 == 1

        return self.mark(mask, inside, (min(xs), min(ys), max(xs), max(ys)))

    def stroke(self, points, width, mask=None, dash=None):
        """A polyline of the given width with round joins and ends.
        dash=(on, off) draws it dashed, measured along the line."""
        mask = mask if mask is not None else self.new_mask()
        half = width / 2.0
        travelled = 0.0
        for (ax, ay), (bx, by) in zip(points, points[1:]):
            length = math.hypot(bx - ax, by - ay)
            pieces = [(0.0, length)]
            if dash:
                on, off = dash
                pieces = []
                period = on + off
                start = -(travelled % period)
                while start < length:
                    a, b = max(start, 0.0), min(start + on, length)
                    if b > a:
                        pieces.append((a, b))
                    start += period
            travelled += length
            for a, b in pieces:
                if length == 0.0:
                    px, py, qx, qy = ax, ay, bx, by
                else:
                    ux, uy = (bx - ax) / length, (by - ay) / length
                    px, py = ax + ux * a, ay + uy * a
                    qx, qy = ax + ux * b, ay + uy * b
                self._capsule(mask, px, py, qx, qy, half)
        return mask

    def _capsule(self, mask, ax, ay, bx, by, half):
        dx, dy = bx - ax, by - ay
        dd = dx * dx + dy * dy

        def inside(x, y):
            t = 0.0 if dd == 0.0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / dd))
            ex, ey = x - (ax + t * dx), y - (ay + t * dy)
            return ex * ex + ey * ey <= half * half

        self.mark(mask, inside, (min(ax, bx) - half, min(ay, by) - half,
                                 max(ax, bx) + half, max(ay, by) + half))

    def intersect(self, a, b):
        return bytearray(x & y for x, y in zip(a, b))

    def paint(self, mask, colour, opacity=1.0):
        """Composites colour (an RGB tuple, or a function of the pixel centre
        returning one) over the canvas where the mask covers it."""
        ss = self.ss
        row = self.width * ss
        area = float(ss * ss)
        for py in range(self.height):
            for px in range(self.width):
                covered = 0
                for sy in range(py * ss, py * ss + ss):
                    base = sy * row + px * ss
                    covered += sum(mask[base:base + ss])
                if not covered:
                    continue
                alpha = opacity * covered / area
                rgb = colour(px + 0.5, py + 0.5) if callable(colour) else colour
                dst = self.pixels[py * self.width + px]
                out_a = alpha + dst[3] * (1.0 - alpha)
                for i in range(3):
                    src_c = rgb[i] / 255.0
                    dst[i] = (src_c * alpha + dst[i] * dst[3] * (1.0 - alpha)) / out_a
                dst[3] = out_a

    def rgba(self):
        """Rows of (r, g, b, a) byte tuples, top row first."""
        out = []
        for py in range(self.height):
            row = []
            for px in range(self.width):
                r, g, b, a = self.pixels[py * self.width + px]
                row.append(tuple(int(round(v * 255.0)) for v in (r, g, b, a)))
            out.append(row)
        return out


def mix(c0, c1, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c0, c1))


# --------------------------------------------------------------------------
# The artwork.
# --------------------------------------------------------------------------

DROP_LIGHT = (0x8F, 0xD3, 0xFA)
DROP_DEEP = (0x15, 0x65, 0xC0)
DROP_EDGE = (0x0D, 0x3C, 0x8A)


def droplet_outline(cx, top, bottom, steps=48):
    """A water droplet: a round body below a pointed tip, as a polygon."""
    radius = (bottom - top) * 0.36
    cy = bottom - radius
    tip_distance = cy - top
    half_angle = math.asin(radius / tip_distance)
    # The tangent points, where the straight sides meet the round body.
    tangent = math.pi / 2.0 - half_angle
    points = [(cx, top)]
    start = -math.pi / 2.0 + tangent
    end = 3.0 * math.pi / 2.0 - tangent
    for i in range(steps + 1):
        a = start + (end - start) * i / steps
        points.append((cx + radius * math.cos(a), cy + radius * math.sin(a)))
    return points, cy, radius


def draw_droplet(canvas, cx, top, bottom, edge_width, with_curve):
    points, cy, radius = droplet_outline(cx, top, bottom)
    body = canvas.polygon(points)
    height = bottom - top

    def shade(x, y):
        # Light at the upper left, deep at the lower right.
        t = ((x - (cx - radius)) + (y - top)) / (2.0 * radius + height)
        return mix(DROP_LIGHT, DROP_DEEP, 0.15 + 0.95 * t)

    canvas.paint(body, shade)
    if with_curve:
        # A saturation curve across the body, rising ever steeper.
        curve = []
        x0, x1 = cx - radius * 0.80, cx + radius * 0.70
        for i in range(25):
            t = i / 24.0
            curve.append((x0 + (x1 - x0) * t,
                          cy + radius * 0.55 - radius * 1.05 * (math.exp(2.2 * t) - 1.0) / (math.exp(2.2) - 1.0)))
        line = canvas.stroke(curve, max(1.2, height / 22.0))
        canvas.paint(canvas.intersect(line, body), (0xFF, 0xFF, 0xFF), 0.9)
    # A highlight on the upper left of the body.
    shine = canvas.ellipse(cx - radius * 0.45, cy - radius * 0.35, radius * 0.22, radius * 0.32)
    canvas.paint(shine, (0xFF, 0xFF, 0xFF), 0.75)
    canvas.paint(canvas.stroke(points + [points[0]], edge_width), DROP_EDGE)


def icon_image(size):
    canvas = Canvas(size, size, samples=8)
    margin = size / 16.0
    draw_droplet(canvas, size / 2.0, margin, size - margin * 0.6,
                 edge_width=max(1.0, size / 32.0), with_curve=size >= 32)
    return canvas.rgba()


# The picture: a small psychrometric chart (dry bulb across, humidity ratio up
# the right-hand side) with its saturation curve, lines of constant relative
# humidity, one state point, and a droplet in the fog region above the curve.
CHART_LEFT, CHART_RIGHT = 9.0, 129.0
CHART_BOTTOM, CHART_TOP = 129.0, 12.0
T_MIN, T_MAX = -10.0, 50.0
W_MAX = 0.030


def chart_x(t):
    return CHART_LEFT + (t - T_MIN) / (T_MAX - T_MIN) * (CHART_RIGHT - CHART_LEFT)


def chart_y(w):
    return CHART_BOTTOM - w / W_MAX * (CHART_BOTTOM - CHART_TOP)


def humidity_ratio(t, fraction):
    """Humidity ratio at sea level, with a simple saturation formula: good
    enough for a drawing."""
    ps = 0.61094 * math.exp(17.625 * t / (t + 243.04)) * fraction
    return 0.621945 * ps / (101.325 - ps)


def rh_curve(fraction):
    points = []
    t = T_MIN
    while t <= T_MAX + 1e-9:
        w = humidity_ratio(t, fraction)
        if w > W_MAX:
            # Stop where the curve leaves the top of the chart.
            lo, hi = t - 0.5, t
            for _ in range(30):
                mid = (lo + hi) / 2.0
                if humidity_ratio(mid, fraction) > W_MAX:
                    hi = mid
                else:
                    lo = mid
            points.append((chart_x(lo), chart_y(W_MAX)))
            break
        points.append((chart_x(t), chart_y(w)))
        t += 0.5
    return points


def picture():
    canvas = Canvas(139, 138, samples=4)
    saturation = rh_curve(1.0)
    # The region of unsaturated air, under the saturation curve.
    region = saturation + [(CHART_RIGHT, CHART_TOP), (CHART_RIGHT, CHART_BOTTOM),
                           (CHART_LEFT, CHART_BOTTOM)]
    canvas.paint(canvas.polygon(region), (0xEE, 0xF5, 0xFB))
    # Grid: dry-bulb lines every 10 degrees, humidity-ratio lines every 0.005.
    grid = canvas.new_mask()
    for t in range(0, 50, 10):
        canvas.stroke([(chart_x(t), CHART_BOTTOM), (chart_x(t), CHART_TOP)], 0.8, grid)
    for i in range(1, 6):
        w = i * 0.005
        canvas.stroke([(CHART_LEFT, chart_y(w)), (CHART_RIGHT, chart_y(w))], 0.8, grid)
    canvas.paint(canvas.intersect(grid, canvas.polygon(region)), (0xC9, 0xD6, 0xE2))
    for fraction in (0.2, 0.4, 0.6, 0.8):
        canvas.paint(canvas.stroke(rh_curve(fraction), 1.0), (0x8E, 0xB8, 0xDC))
    # Axes: dry bulb along the bottom, humidity ratio on the right.
    axes = canvas.stroke([(CHART_LEFT, CHART_BOTTOM), (CHART_RIGHT, CHART_BOTTOM),
                          (CHART_RIGHT, CHART_TOP)], 1.4)
    ticks = canvas.new_mask()
    for t in range(-10, 51, 10):
        canvas.stroke([(chart_x(t), CHART_BOTTOM), (chart_x(t), CHART_BOTTOM + 3.0)], 1.0, ticks)
    for i in range(0, 7):
        y = chart_y(i * 0.005)
        canvas.stroke([(CHART_RIGHT, y), (CHART_RIGHT + 3.0, y)], 1.0, ticks)
    canvas.paint(axes, (0x6B, 0x77, 0x83))
    canvas.paint(ticks, (0x6B, 0x77, 0x83))
    canvas.paint(canvas.stroke(saturation, 2.2), (0x1F, 0x6F, 0xB8))
    # One state point, 25 degrees and 50 %, read off to both axes.
    px, py = chart_x(25.0), chart_y(humidity_ratio(25.0, 0.5))
    guides = canvas.stroke([(px, py), (px, CHART_BOTTOM)], 1.0, dash=(3.0, 2.5))
    canvas.stroke([(px, py), (CHART_RIGHT, py)], 1.0, guides, dash=(3.0, 2.5))
    canvas.paint(guides, (0xC0, 0x4A, 0x2C))
    canvas.paint(canvas.ellipse(px, py, 3.6, 3.6), (0xC0, 0x4A, 0x2C))
    canvas.paint(canvas.ellipse(px, py, 1.4, 1.4), (0xFF, 0xFF, 0xFF))
    draw_droplet(canvas, 34.0, 14.0, 66.0, edge_width=1.4, with_curve=False)
    return canvas.rgba()


# --------------------------------------------------------------------------
# Colour reduction to a palette (median cut) for the 256-colour images.
# --------------------------------------------------------------------------

def matte(pixel, background=WINDOW_GREY):
    r, g, b, a = pixel
    t = a / 255.0
    return tuple(int(round(c * t + bg * (1.0 - t))) for c, bg in zip((r, g, b), background))


def median_cut(colours, count):
    """colours: {rgb: occurrences}. Returns at most `count` palette entries."""
    boxes = [list(colours.items())]
    while len(boxes) < count:
        # Split the box with the widest channel range (weighted by use).
        best, best_score = None, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                values = [c[ch] for c, _ in box]
                spread = max(values) - min(values)
                score = spread * sum(n for _, n in box) ** 0.5
                if score > best_score:
                    best, best_score = (i, ch), score
        if best is None:
            break
        i, ch = best
        box = sorted(boxes.pop(i), key=lambda item: (item[0][ch], item[0]))
        total = sum(n for _, n in box)
        running, cut = 0, 1
        for j, (_, n) in enumerate(box):
            running += n
            if running * 2 >= total:
                cut = max(1, min(len(box) - 1, j + 1))
                break
        boxes.extend([box[:cut], box[cut:]])
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(int(round(sum(c[ch] * n for c, n in box) / total)) for ch in range(3)))
    return sorted(set(palette))


def nearest(palette, colour, cache):
    if colour not in cache:
        cache[colour] = min(range(len(palette)),
                            key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], colour)))
    return cache[colour]


def to_indexed(images, colours_available):
    """Reduces several RGBA images to one palette. Pixels under half opacity
    become None (transparent); the others are blended onto the window grey."""
    counts = {}
    flat = []
    for rows in images:
        out_rows = []
        for row in rows:
            out_row = []
            for pixel in row:
                if pixel[3] < 128:
                    out_row.append(None)
                else:
                    rgb = matte(pixel)
                    counts[rgb] = counts.get(rgb, 0) + 1
                    out_row.append(rgb)
            out_rows.append(out_row)
        flat.append(out_rows)
    palette = median_cut(counts, colours_available)
    cache = {}
    indexed = [[[None if c is None else nearest(palette, c, cache) for c in row] for row in rows]
               for rows in flat]
    return palette, indexed


# --------------------------------------------------------------------------
# File formats.
# --------------------------------------------------------------------------

def png_bytes(rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def and_mask(rows, transparent):
    """The icon's 1-bit mask, bottom row first, rows padded to 4 bytes."""
    out = b""
    for row in reversed(rows):
        bits = bytearray((len(row) + 31) // 32 * 4)
        for x, px in enumerate(row):
            if transparent(px):
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bytes(bits)
    return out


def bitmap_header(size, bits, image_bytes):
    # BITMAPINFOHEADER; an icon's height counts the colour rows and the mask.
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, image_bytes, 0, 0,
                       256 if bits == 8 else 0, 0)


def ico_bytes(truecolour, palette, indexed):
    """truecolour and indexed: lists of images, largest first."""
    entries = []
    images = []
    # 256-colour images first, then the 32-bit ones, each 48, 32, 16.
    for rows in indexed:
        size = len(rows)
        stride = (size + 3) // 4 * 4
        pixels = b"".join(bytes((0 if i is None else i) for i in row) + bytes(stride - size)
                          for row in reversed(rows))
        colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
        colours += bytes(4 * (256 - len(palette)))
        mask = and_mask(rows, lambda i: i is None)
        images.append((size, 8, bitmap_header(size, 8, len(pixels) + len(mask)) + colours + pixels + mask))
    for rows in truecolour:
        size = len(rows)
        pixels = b"".join(bytes(v for r, g, b, a in row for v in (b, g, r, a)) for row in reversed(rows))
        mask = and_mask(rows, lambda px: px[3] == 0)
        images.append((size, 32, bitmap_header(size, 32, len(pixels) + len(mask)) + pixels + mask))
    offset = 6 + 16 * len(images)
    header = struct.pack("<HHH", 0, 1, len(images))
    for size, bits, data in images:
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bits, len(data), offset))
        offset += len(data)
    return header + b"".join(entries) + b"".join(data for _, _, data in images)


def lzw(indices, min_code_size):
    """GIF's variable-length LZW, codes packed least significant bit first."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out = bytearray()
    acc, nbits = 0, 0

    def emit(code, width):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    def reset():
        return {}, end + 1, min_code_size + 1

    table, next_code, width = reset()
    emit(clear, width)
    prefix = indices[0]
    for k in indices[1:]:
        key = (prefix, k)
        if key in table:
            prefix = table[key]
            continue
        emit(prefix, width)
        if next_code < 4096:
            table[key] = next_code
            next_code += 1
            # The decoder widens its codes once the table reaches 2^width.
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear, width)
            table, next_code, width = reset()
        prefix = k
    emit(prefix, width)
    emit(end, width)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def gif_bytes(palette, rows, transparent_index):
    height, width = len(rows), len(rows[0])
    colours = list(palette) + [WINDOW_GREY] * (256 - len(palette))
    data = lzw([transparent_index if i is None else i for row in rows for i in row], 8)
    blocks = b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255] for i in range(0, len(data), 255))
    return (b"GIF89a"
            + struct.pack("<HHBBB", width, height, 0xF7, 0, 0)
            + b"".join(bytes(c) for c in colours)
            # Graphic control extension: the transparent index.
            + b"\x21\xF9\x04\x01\x00\x00" + bytes([transparent_index]) + b"\x00"
            + b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0)
            + b"\x08" + blocks + b"\x00"
            + b"\x3B")


def artwork():
    """Every output file's name and bytes."""
    files = {}
    sizes = (48, 32, 16)
    icons = [icon_image(size) for size in sizes]
    # Index 0 is left for the transparent pixels under the mask.
    palette, indexed = to_indexed(icons, 255)
    palette = [(0, 0, 0)] + palette
    indexed = [[[None if i is None else i + 1 for i in row] for row in rows] for rows in indexed]
    files["humitrax.ico"] = ico_bytes(icons, palette, indexed)
    for size, rows in zip(sizes, icons):
        files["humitrax-%d.png" % size] = png_bytes(rows)

    image = picture()
    palette, (rows,) = to_indexed([image], 255)
    files["Image1.gif"] = gif_bytes(palette, rows, len(palette))
    return files


def main(argv):
    files = artwork()
    if argv[1:] == ["--check"]:
        # Whether the committed files are what this script draws.
        stale = []
        for name, data in sorted(files.items()):
            path = os.path.join(HERE, name)
            if not os.path.exists(path) or open(path, "rb").read() != data:
                stale.append(name)
        if stale:
            print("not as generated: " + ", ".join(stale), file=sys.stderr)
            return 1
        print("artwork as generated: " + ", ".join(sorted(files)))
        return 0
    if argv[1:]:
        print("usage: generate_artwork.py [--check]", file=sys.stderr)
        return 2
    for name, data in files.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
