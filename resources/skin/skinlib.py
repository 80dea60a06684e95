"""A small RGBA raster for drawing the skin: rectangles, gradients, anti-aliased shapes, text
masks rendered by ImageMagick, and a PNG/BMP writer (standard library and zlib only)."""
import struct
import subprocess
import zlib


def hexc(value, alpha=255):
    """'#RRGGBB' or 0xRRGGBB -> (r, g, b, a)."""
    if isinstance(value, tuple):
        return value if len(value) == 4 else value + (alpha,)
    if isinstance(value, str):
        value = int(value.lstrip('#'), 16)
    return ((value >> 16) & 255, (value >> 8) & 255, value & 255, alpha)


def mix(a, b, t):
    a, b = hexc(a), hexc(b)
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(4))


def shade(c, amount):
    """Lighter (amount > 0) or darker (amount < 0), keeping alpha."""
    c = hexc(c)
    target = (255, 255, 255, c[3]) if amount > 0 else (0, 0, 0, c[3])
    return mix(c, target, abs(amount))


class Canvas:
    def __init__(self, w, h, fill=(0, 0, 0, 0)):
        self.w, self.h = w, h
        fill = hexc(fill)
        self.px = [list(fill) for _ in range(w * h)]

    # ---- pixels -------------------------------------------------------------------------
    def get(self, x, y):
        return tuple(self.px[y * self.w + x])

    def put(self, x, y, color, coverage=1.0):
        """Source-over blend of color with the given coverage."""
        if x < 0 or y < 0 or x >= self.w or y >= self.h or coverage <= 0:
            return
        c = hexc(color)
        a = c[3] / 255.0 * min(coverage, 1.0)
        if a <= 0:
            return
        d = self.px[y * self.w + x]
        da = d[3] / 255.0
        oa = a + da * (1 - a)
        if oa <= 0:
            return
        for i in range(3):
            d[i] = (c[i] * a + d[i] * da * (1 - a)) / oa
        d[3] = oa * 255.0

    def set(self, x, y, color):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y * self.w + x] = list(hexc(color))

    # ---- fills --------------------------------------------------------------------------
    def rect(self, x, y, w, h, color):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                self.put(xx, yy, color)

    def fill(self, x, y, w, h, color):
        """Replaces pixels (no blending)."""
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                self.set(xx, yy, color)

    def vgrad(self, x, y, w, h, stops, blend=True):
        """Vertical gradient through the colour stops [(t, color), ...] or [top, bottom]."""
        stops = _stops(stops)
        for i in range(h):
            c = _at(stops, i / max(h - 1, 1))
            for xx in range(x, x + w):
                (self.put if blend else self.set)(xx, y + i, c)

    def hgrad(self, x, y, w, h, stops, blend=True):
        stops = _stops(stops)
        for i in range(w):
            c = _at(stops, i / max(w - 1, 1))
            for yy in range(y, y + h):
                (self.put if blend else self.set)(x + i, yy, c)

    def hline(self, x, y, w, color):
        self.rect(x, y, w, 1, color)

    def vline(self, x, y, h, color):
        self.rect(x, y, 1, h, color)

    def frame(self, x, y, w, h, light, dark=None):
        """One-pixel 3-D frame: light top and left, dark bottom and right."""
        dark = light if dark is None else dark
        self.hline(x, y, w - 1, light)
        self.vline(x, y, h - 1, light)
        self.hline(x, y + h - 1, w, dark)
        self.vline(x + w - 1, y, h, dark)

    # ---- anti-aliased shapes ----------------------------------------------------------------
    def shape(self, inside, x0, y0, x1, y1, color, ss=4):
        """Fills where inside(px, py) is true, px/py in pixel units, with ss x ss samples."""
        colorf = color if callable(color) else None
        for y in range(max(int(y0), 0), min(int(y1) + 1, self.h)):
            for x in range(max(int(x0), 0), min(int(x1) + 1, self.w)):
                hits = 0
                for sy in range(ss):
                    for sx in range(ss):
                        if inside(x + (sx + 0.5) / ss, y + (sy + 0.5) / ss):
                            hits += 1
                if hits:
                    self.put(x, y, colorf(x, y) if colorf else color, hits / (ss * ss))

    def polygon(self, pts, color, ss=4):
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        self.shape(lambda px, py: _in_poly(pts, px, py), min(xs), min(ys), max(xs), max(ys), color, ss)

    def circle(self, cx, cy, r, color, ss=4):
        self.shape(lambda px, py: (px - cx) ** 2 + (py - cy) ** 2 <= r * r, cx - r - 1, cy - r - 1, cx + r + 1,
                   cy + r + 1, color, ss)

    def ring(self, cx, cy, r, width, color, ss=4):
        r2 = r - width
        self.shape(lambda px, py: r2 * r2 <= (px - cx) ** 2 + (py - cy) ** 2 <= r * r, cx - r - 1, cy - r - 1,
                   cx + r + 1, cy + r + 1, color, ss)

    def rrect(self, x, y, w, h, r, color, ss=4):
        """Rounded rectangle covering [x, x + w) x [y, y + h); color may be f(x, y)."""
        self.shape(lambda px, py: _in_rrect(x, y, w, h, r, px, py), x, y, x + w, y + h, color, ss)

    def thick_line(self, x0, y0, x1, y1, width, color, ss=4):
        import math
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy) or 1
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], color, ss)

    # ---- composition ------------------------------------------------------------------------
    def blit(self, src, x, y, sx=0, sy=0, w=None, h=None, blend=True):
        w = src.w if w is None else w
        h = src.h if h is None else h
        for yy in range(h):
            for xx in range(w):
                c = src.get(sx + xx, sy + yy)
                if blend:
                    self.put(x + xx, y + yy, c)
                else:
                    self.set(x + xx, y + yy, c)

    def copy(self):
        c = Canvas(self.w, self.h)
        c.px = [list(p) for p in self.px]
        return c

    def text(self, x, y, string, size=9, color='#FFFFFF', font='DejaVu-Sans-Bold', align='left', valign='top',
             box=None):
        """Draws text; with box=(w, h) it is aligned inside the box at (x, y)."""
        mask = text_mask(string, size, font)
        if box:
            bw, bh = box
            if align == 'center':
                x += (bw - mask.w) // 2
            elif align == 'right':
                x += bw - mask.w
            if valign == 'center':
                y += (bh - mask.h + 1) // 2
        for yy in range(mask.h):
            for xx in range(mask.w):
                cov = mask.cov[yy * mask.w + xx]
                if cov:
                    self.put(x + xx, y + yy, color, cov)

    # ---- output ------------------------------------------------------------------------------
    def rows(self):
        for y in range(self.h):
            yield [tuple(int(round(max(0, min(255, v)))) for v in self.px[y * self.w + x]) for x in range(self.w)]

    def save_png(self, path):
        raw = bytearray()
        for row in self.rows():
            raw.append(0)
            for p in row:
                raw.extend(p)
        def chunk(kind, data):
            return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)
        png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', self.w, self.h, 8, 6, 0, 0, 0))
        png += chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b'')
        with open(path, 'wb') as f:
            f.write(png)

    def save_bmp(self, path, background=(192, 192, 192)):
        """24-bit BMP; transparent pixels become the background (a tool bar's mask colour)."""
        stride = (self.w * 3 + 3) & ~3
        body = bytearray()
        rows = list(self.rows())
        for row in reversed(rows):
            line = bytearray()
            for r, g, b, a in row:
                t = a / 255.0
                line.extend((int(round(b * t + background[2] * (1 - t))), int(round(g * t + background[1] * (1 - t))),
                             int(round(r * t + background[0] * (1 - t)))))
            line.extend(b'\0' * (stride - len(line)))
            body.extend(line)
        header = struct.pack('<2sIHHI', b'BM', 54 + len(body), 0, 0, 54)
        info = struct.pack('<IiiHHIIiiII', 40, self.w, self.h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
        with open(path, 'wb') as f:
            f.write(header + info + body)


def hstrip(frames):
    """Frames side by side in one canvas."""
    w = sum(f.w for f in frames)
    h = max(f.h for f in frames)
    out = Canvas(w, h)
    x = 0
    for f in frames:
        out.blit(f, x, 0, blend=False)
        x += f.w
    return out


class _Mask:
    def __init__(self, w, h, cov):
        self.w, self.h, self.cov = w, h, cov


_mask_cache = {}


def text_mask(string, size, font):
    """Coverage of the text, trimmed to its ink horizontally and to the font's line vertically."""
    key = (string, size, font)
    if key in _mask_cache:
        return _mask_cache[key]
    out = subprocess.run(['convert', '-background', 'black', '-fill', 'white', '-font', font, '-pointsize',
                          str(size), 'label:' + string, '-trim', '+repage', '-depth', '8', 'pgm:-'],
                         check=True, stdout=subprocess.PIPE).stdout
    # header: P5 <w> <h> <maxval> and exactly one whitespace byte before the data
    fields, pos = [], 0
    while len(fields) < 4:
        while out[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not out[pos:pos + 1].isspace():
            pos += 1
        fields.append(out[start:pos])
    w, h, maxval = int(fields[1]), int(fields[2]), int(fields[3])
    data = out[pos + 1:]
    mask = _Mask(w, h, [b / maxval for b in data[:w * h]])
    _mask_cache[key] = mask
    return mask


def _stops(stops):
    if isinstance(stops[0], tuple) and len(stops[0]) == 2:
        return [(t, hexc(c)) for t, c in stops]
    n = len(stops)
    return [(i / max(n - 1, 1), hexc(c)) for i, c in enumerate(stops)]


def _at(stops, t):
    for i in range(len(stops) - 1):
        t0, c0 = stops[i]
        t1, c1 = stops[i + 1]
        if t <= t1:
            return mix(c0, c1, 0 if t1 == t0 else (t - t0) / (t1 - t0))
    return stops[-1][1]


def _in_poly(pts, x, y):
    inside = False
    j = len(pts) - 1
    for i in range(len(pts)):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def _in_rrect(x, y, w, h, r, px, py):
    if px < x or py < y or px > x + w or py > y + h:
        return False
    cx = min(max(px, x + r), x + w - r)
    cy = min(max(py, y + r), y + h - r)
    return (px - cx) ** 2 + (py - cy) ** 2 <= r * r
