#!/usr/bin/env python3
"""Draws every skin image of the program into images/ (PNG), and the tool-bar strips into
toolbar/ (BMP). Run from anywhere: python3 resources/skin/make_skin.py [name ... | toolbar]
The outputs are kept in the tree; the build only copies them. montage.sh puts them on one
sheet for review.

Look: dark panes on #404040 with bevelled controls, silver window chrome, teal accents
(lit states), red for recording, green for playback, amber for solo, LCD counters.

Button strips: frames side by side. Eight-frame buttons: 0 normal, 1 disabled, 2 pressed,
3 pressed and disabled, 4 lit, 5 lit and disabled, 6 lit and pressed, 7 lit, pressed and
disabled. Four-frame buttons: 0 normal, 1 disabled, 2 pressed (or open), 3 pressed and
disabled; the fold buttons: 0 off, 1 off pressed, 2 on, 3 on pressed. Effect launcher
buttons and tabs: 0 normal, 1 disabled, 2 pressed, 3 on (hot for tabs: 0 normal, 1 hot,
2 selected, 3 selected and hot).
"""
import math
import os
import sys

from skinlib import Canvas, hexc, hstrip, mix, shade

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, 'images')
TOOLBAR = os.path.join(HERE, 'toolbar')

# ---- palette ------------------------------------------------------------------------------
PANE = '#404040'        # skin colour 11
PANE_DARK = '#333333'   # skin colour 17
INK = '#161616'
EDGE = '#262626'
FACE_TOP, FACE_BOTTOM = '#626262', '#464646'
GLYPH = '#DADADA'
GLYPH_DIM = '#6E6E6E'
TEAL = '#00A99D'        # focus colour of the launcher, RGB(0, 169, 157)
TEAL_DARK = '#00767A'
RED = '#E5333F'
GREEN = '#4CCB5E'
AMBER = '#F0B429'
BLUE = '#3C8DE8'
LCD = '#0E1513'
LCD_ON = '#5FF2E0'
LCD_GHOST = '#142623'
SILVER_TOP, SILVER_BOTTOM = '#ECECEC', '#BDBDBD'
TEXT_DARK = '#3D3D3D'   # skin colour 52

IMAGES = {}


def image(name):
    def register(fn):
        IMAGES[name] = fn
        return fn
    return register


# ---- shared pieces ------------------------------------------------------------------------
# index = lit * 4 + pressed * 2 + disabled
STATES8 = [dict(lit=i >> 2 & 1, pressed=i >> 1 & 1, disabled=i & 1) for i in range(8)]
STATES4 = [dict(lit=0, pressed=i >> 1 & 1, disabled=i & 1) for i in range(4)]


def face(c, x, y, w, h, lit=0, pressed=0, disabled=0, accent=TEAL, radius=3, flat=False):
    """A bevelled button body; returns the glyph colour for its state."""
    if lit:
        top, bottom = shade(accent, 0.25), shade(accent, -0.30)
        if pressed:
            top, bottom = shade(accent, -0.35), shade(accent, -0.05)
        if disabled:
            top, bottom = mix(top, '#505050', 0.6), mix(bottom, '#454545', 0.6)
        outline = shade(accent, -0.65)
    else:
        top, bottom = (FACE_TOP, FACE_BOTTOM) if not pressed else ('#363636', '#4A4A4A')
        if disabled:
            top, bottom = ('#4C4C4C', '#444444') if not pressed else ('#3A3A3A', '#424242')
        outline = INK
    c.rrect(x, y, w, h, radius, outline)
    grad = lambda px, py: mix(top, bottom, (py - y - 1) / max(h - 3, 1))
    c.rrect(x + 1, y + 1, w - 2, h - 2, max(radius - 1, 0), grad)
    if not pressed:
        c.hline(x + 2, y + 1, w - 4, hexc('#FFFFFF', 60 if not disabled else 25))
    else:
        c.hline(x + 2, y + 1, w - 4, hexc('#000000', 70))
    if disabled:
        return GLYPH_DIM if not lit else mix(accent, '#808080', 0.5)
    return '#FFFFFF' if lit else GLYPH


def strip(w, h, states, draw):
    frames = []
    for st in states:
        c = Canvas(w, h)
        draw(c, **st)
        frames.append(c)
    return hstrip(frames)


def button_strip(w, h, states, glyph, accent=TEAL, radius=3, bg=None, inset=0):
    def draw(c, lit, pressed, disabled):
        if bg:
            c.fill(0, 0, w, h, bg)
        color = face(c, inset, inset, w - 2 * inset, h - 2 * inset, lit, pressed, disabled, accent, radius)
        glyph(c, pressed, color, dict(lit=lit, pressed=pressed, disabled=disabled))
    return strip(w, h, states, draw)


def text_glyph(label, size=8, font='DejaVu-Sans-Condensed-Bold', dy=0):
    def g(c, pressed, color, st):
        c.text(pressed, pressed + dy, label, size, color, font, align='center', valign='center', box=(c.w, c.h))
    return g


def led(c, cx, cy, r, on, color):
    """A small round lamp."""
    if on:
        c.circle(cx, cy, r + 1.6, hexc(color, 60))
        c.circle(cx, cy, r, color)
        c.circle(cx - r * 0.3, cy - r * 0.35, r * 0.45, hexc('#FFFFFF', 150))
    else:
        c.circle(cx, cy, r, mix(color, '#202020', 0.78))
        c.ring(cx, cy, r, 0.8, hexc('#000000', 120))


def well(c, x, y, w, h, fill=LCD, radius=2):
    """A recessed field: dark rim on top, light rim below."""
    c.rrect(x, y, w, h, radius, '#1A1A1A')
    c.rrect(x, y + 1, w, h, radius, hexc('#FFFFFF', 28))
    c.rrect(x + 1, y + 1, w - 2, h - 2, max(radius - 1, 0), fill)


def brushed(c, x, y, w, h, top, bottom, seed=7, amount=5):
    """A panel gradient with a faint horizontal grain."""
    c.vgrad(x, y, w, h, [top, bottom], blend=False)
    s = seed
    for yy in range(y, y + h):
        s = (s * 1103515245 + 12345) & 0x7FFFFFFF
        delta = (s >> 16) % (2 * amount + 1) - amount
        for xx in range(x, x + w):
            p = c.px[yy * c.w + xx]
            for i in range(3):
                p[i] = max(0, min(255, p[i] + delta * 0.6))


def screws(c, pts):
    for x, y in pts:
        c.circle(x, y, 2.6, '#2A2A2A')
        c.circle(x, y, 2.0, '#6A6A6A')
        c.thick_line(x - 1.4, y + 1.4, x + 1.4, y - 1.4, 0.8, '#2A2A2A')


# ---- glyphs (drawn in a box at an offset) -------------------------------------------------------
def tri_right(c, x, y, s, color):
    c.polygon([(x, y), (x + s * 0.9, y + s / 2), (x, y + s)], color)


def tri_left(c, x, y, s, color):
    c.polygon([(x + s * 0.9, y), (x, y + s / 2), (x + s * 0.9, y + s)], color)


def bar(c, x, y, w, h, color):
    c.polygon([(x, y), (x + w, y), (x + w, y + h), (x, y + h)], color)


def transport_glyph(kind, s):
    """Glyph of size about s for a transport button, centred in the frame."""
    def g(c, pressed, color, st):
        cx, cy = c.w / 2 + pressed, c.h / 2 + pressed
        x, y = cx - s / 2, cy - s / 2
        if kind == 'play':
            tri_right(c, x + s * 0.12, y, s, color)
        elif kind == 'stop':
            bar(c, x + s * 0.08, y + s * 0.08, s * 0.84, s * 0.84, color)
        elif kind == 'pause':
            bar(c, x + s * 0.12, y, s * 0.28, s, color)
            bar(c, x + s * 0.60, y, s * 0.28, s, color)
        elif kind == 'rec':
            rc = RED if not st['disabled'] else mix(RED, '#606060', 0.6)
            if st['lit'] and not st['disabled']:
                c.circle(cx, cy, s * 0.62, hexc(RED, 70))
                rc = '#FF5A62'
            c.circle(cx, cy, s * 0.45, rc)
            if not st['disabled']:
                c.circle(cx - s * 0.14, cy - s * 0.16, s * 0.15, hexc('#FFFFFF', 110))
        elif kind == 'back':
            tri_left(c, x - s * 0.05, y + s * 0.1, s * 0.8, color)
            tri_left(c, x + s * 0.42, y + s * 0.1, s * 0.8, color)
        elif kind == 'next':
            tri_right(c, x - s * 0.12, y + s * 0.1, s * 0.8, color)
            tri_right(c, x + s * 0.35, y + s * 0.1, s * 0.8, color)
        elif kind == 'totop':
            bar(c, x, y + s * 0.1, s * 0.16, s * 0.8, color)
            tri_left(c, x + s * 0.2, y + s * 0.1, s * 0.8, color)
            tri_left(c, x + s * 0.58, y + s * 0.1, s * 0.8, color)
        elif kind == 'prevcue':
            tri_left(c, x - s * 0.1, y + s * 0.15, s * 0.7, color)
            cue_mark(c, x + s * 0.58, y, s, AMBER if not st['disabled'] else color)
        elif kind == 'nextcue':
            cue_mark(c, x - s * 0.05, y, s, AMBER if not st['disabled'] else color)
            tri_right(c, x + s * 0.5, y + s * 0.15, s * 0.7, color)
        elif kind == 'loop':
            loop_arrows(c, cx, cy, s, color)
    return g


def cue_mark(c, x, y, s, color):
    w = s * 0.55
    c.polygon([(x, y), (x + w, y), (x + w, y + s * 0.62), (x + w / 2, y + s), (x, y + s * 0.62)], color)


def loop_arrows(c, cx, cy, s, color):
    w, h = s * 1.15, s * 0.78
    r = h / 2
    t = max(s * 0.13, 1.4)
    # a rounded track with a gap and an arrow head at each gap
    c.shape(lambda px, py: _on_loop(px - cx, py - cy, w, h, r, t), cx - w / 2 - 1, cy - h / 2 - 1, cx + w / 2 + 1,
            cy + h / 2 + 1, color)
    a = s * 0.3
    c.polygon([(cx + a * 0.2, cy - h / 2 - a * 0.55), (cx + a * 1.05, cy - h / 2 + t / 2), (cx + a * 0.2, cy - h / 2 + a * 0.55 + t / 2)], color)
    c.polygon([(cx - a * 0.2, cy + h / 2 - a * 0.55 - t / 2), (cx - a * 1.05, cy + h / 2 - t / 2), (cx - a * 0.2, cy + h / 2 + a * 0.55)], color)


def _on_loop(px, py, w, h, r, t):
    hw = w / 2 - r
    qx = min(max(px, -hw), hw)
    d = math.hypot(px - qx, py)
    if not (r - t <= d <= r):
        return False
    # gaps: upper track right of centre, lower track left of centre
    if -0.5 < py < 0.5:
        return True
    if py < 0 and 0 <= px <= r * 0.6:
        return False
    if py > 0 and -r * 0.6 <= px <= 0:
        return False
    return True


# ==== multitrack view: corners, header column, rulers ==========================================
HEADER_W = 158          # width of the header column (view_topleft)
RULER_H = 40            # height of the ruler row (view_topleft)
SCALE_W = 40            # width of the amplitude scale column (view_ruler2)
CELL_TOP, CELL_BOTTOM = '#575757', '#454545'
CELL_FLAT = '#3E3E3E'


def dark_panel(c, x, y, w, h):
    c.vgrad(x, y, w, h, ['#4E4E4E', '#3C3C3C'], blend=False)
    c.hline(x, y, w, '#5E5E5E')


@image('view_topleft')
def view_topleft():
    c = Canvas(HEADER_W, RULER_H)
    brushed(c, 0, 0, HEADER_W, RULER_H, '#4E4E4E', '#3A3A3A', seed=3, amount=3)
    c.hline(0, 0, HEADER_W, '#606060')
    c.vline(HEADER_W - 1, 0, RULER_H, '#2E2E2E')
    c.text(8, 24, 'TRACKS', 7, '#2C2C2C', 'DejaVu-Sans-Bold')
    c.text(8, 23, 'TRACKS', 7, '#8A8A8A', 'DejaVu-Sans-Bold')
    return c


def ruler_face(w, h):
    c = Canvas(w, h)
    c.vgrad(0, 0, w, h, [(0, '#D2D2D2'), (0.55, '#BDBDBD'), (1, '#A9A9A9')], blend=False)
    c.hline(0, 0, w, '#E8E8E8')
    return c


@image('view_top')
def view_top():
    return ruler_face(4, RULER_H)


@image('view_ruler')
def view_ruler():
    return ruler_face(8, RULER_H)


@image('view_ruler2')
def view_ruler2():
    c = Canvas(SCALE_W, 16)
    c.hgrad(0, 0, SCALE_W, 16, ['#B4B4B4', '#A2A2A2'], blend=False)
    return c


@image('view_left')
def view_left():
    c = Canvas(HEADER_W, 4, CELL_FLAT)
    c.vline(HEADER_W - 1, 0, 4, '#2E2E2E')
    return c


@image('track_bg')
def track_bg():
    h = 64
    c = Canvas(HEADER_W, h)
    c.vgrad(0, 0, HEADER_W, 44, [CELL_TOP, CELL_BOTTOM], blend=False)
    c.vgrad(0, 44, HEADER_W, h - 44, [CELL_BOTTOM, CELL_FLAT], blend=False)
    c.hline(0, 0, HEADER_W, '#6A6A6A')
    c.vline(HEADER_W - 1, 0, h, '#2E2E2E')
    # number plate and name plate under the texts the pane draws
    c.rrect(11, 6, 26, 18, 3, '#2A2A2A')
    c.rrect(12, 7, 24, 16, 2, lambda x, y: mix('#A4A4A4', '#828282', (y - 7) / 15))
    well(c, 11, 25, 140, 14, fill='#CFCFCF', radius=2)
    c.hline(13, 26, 136, '#B8B8B8')
    return c


@image('track_number')
def track_number():
    # size only: the box the number is centred in
    c = Canvas(26, 18)
    c.rrect(0, 0, 26, 18, 3, '#2A2A2A')
    c.rrect(1, 1, 24, 16, 2, lambda x, y: mix('#A4A4A4', '#828282', (y - 1) / 15))
    return c


@image('track_name')
def track_name():
    c = Canvas(140, 14)
    well(c, 0, 0, 140, 14, fill='#CFCFCF', radius=2)
    return c


def small_button(label_or_glyph, accent, w=18, h=16, states=STATES8):
    glyph = text_glyph(label_or_glyph, 9) if isinstance(label_or_glyph, str) else label_or_glyph
    return button_strip(w, h, states, glyph, accent=accent)


@image('track_mute_btn')
def track_mute_btn():
    return small_button('M', BLUE)


@image('track_solo_btn')
def track_solo_btn():
    return small_button('S', AMBER)


def rec_dot(c, pressed, color, st):
    cx, cy = c.w / 2 + pressed, c.h / 2 + pressed
    col = '#FFFFFF' if st['lit'] and not st['disabled'] else (RED if not st['disabled'] else mix(RED, '#5A5A5A', 0.65))
    c.circle(cx, cy, 4.2, col)


@image('track_rec_btn')
def track_rec_btn():
    return small_button(rec_dot, RED)


def info_glyph(c, pressed, color, st):
    cx, cy = c.w / 2 + pressed, c.h / 2 + pressed
    c.circle(cx, cy - 3.6, 1.3, color)
    bar(c, cx - 1.1, cy - 1.4, 2.2, 6.2, color)


def split_glyph(c, pressed, color, st):
    x, y = 5 + pressed, c.h / 2 + pressed
    c.thick_line(x, y, x + 5, y, 1.4, color)
    c.thick_line(x + 5, y, x + 9, y - 3.5, 1.4, color)
    c.thick_line(x + 5, y, x + 9, y + 3.5, 1.4, color)
    tri_right(c, x + 9.5, y - 5.5, 4, color)
    tri_right(c, x + 9.5, y + 1.5, 4, color)


def mix_glyph(c, pressed, color, st):
    x, y = 5 + pressed, c.h / 2 + pressed
    c.thick_line(x, y - 3.5, x + 5, y, 1.4, color)
    c.thick_line(x, y + 3.5, x + 5, y, 1.4, color)
    c.thick_line(x + 5, y, x + 10, y, 1.4, color)
    tri_right(c, x + 10, y - 2.5, 5, color)


@image('info_btn')
def info_btn():
    return small_button(info_glyph, TEAL, 18, 14, STATES4)


@image('split_btn')
def split_btn():
    return small_button(split_glyph, TEAL, 24, 14, STATES4)


@image('mix_btn')
def mix_btn():
    return small_button(mix_glyph, TEAL, 24, 14, STATES4)


def fold_strip(w, h, vertical):
    def draw(c, lit, pressed, disabled):
        color = face(c, 0, 0, w, h, lit, pressed, 0, TEAL, radius=2)
        cx, cy = w / 2 + pressed * 0.5, h / 2 + pressed * 0.5
        if vertical:   # stretch track height: arrows up and down, apart when on
            gap = 3.2 if lit else 1.6
            c.polygon([(cx - 2.2, cy - gap), (cx + 2.2, cy - gap), (cx, cy - gap - 2.6)], color)
            c.polygon([(cx - 2.2, cy + gap), (cx + 2.2, cy + gap), (cx, cy + gap + 2.6)], color)
        else:          # collapse strip: arrows left and right
            gap = 1.2 if lit else 3.2
            c.polygon([(cx - gap, cy - 2.4), (cx - gap, cy + 2.4), (cx - gap - 3, cy)], color)
            c.polygon([(cx + gap, cy - 2.4), (cx + gap, cy + 2.4), (cx + gap + 3, cy)], color)
    states = [dict(lit=0, pressed=0, disabled=0), dict(lit=0, pressed=1, disabled=0),
              dict(lit=1, pressed=0, disabled=0), dict(lit=1, pressed=1, disabled=0)]
    return strip(w, h, states, draw)


@image('fold_vert')
def fold_vert():
    return fold_strip(6, 14, True)


@image('fold_horz')
def fold_horz():
    return fold_strip(14, 10, False)


# ---- the corner panes -------------------------------------------------------------------------
def link_glyph(c, pressed, color, st):
    cx, cy = c.w / 2 + pressed, c.h / 2 + pressed
    col = '#FFFFFF' if st['lit'] and not st['disabled'] else color
    c.shape(lambda px, py: _link(px - cx + 3.2, py - cy), cx - 8, cy - 5, cx, cy + 5, col)
    c.shape(lambda px, py: _link(px - cx - 3.2, py - cy), cx, cy - 5, cx + 8, cy + 5, col)


def _link(x, y):
    # a rounded chain link 9 x 6 centred at 0, 1.3 thick
    w, h, t = 4.5, 3.0, 1.3
    qx = min(max(x, -(w - h)), w - h)
    d = math.hypot(x - qx, y)
    return h - t <= d <= h


@image('group_btn')
def group_btn():
    return button_strip(24, 16, STATES8, link_glyph, accent=TEAL)


@image('multi_icon')
def multi_icon():
    c = Canvas(18, 12)
    for i, col in enumerate(['#8ACFC8', '#5FB8AE', TEAL]):
        c.rrect(i * 3, i * 2, 12, 8, 1.5, '#1A1A1A')
        c.rrect(i * 3 + 1, i * 2 + 1, 10, 6, 1, col)
    # the front card shows channel bars
    for i, hgt in enumerate((3, 5, 4, 2)):
        c.fill(8 + 2 * i, 10 - hgt, 1, hgt, '#0A2A28')
    return c


# ---- zoom glyphs (on the system button face) ---------------------------------------------------
def magnifier(plus):
    c = Canvas(12, 12)
    c.ring(4.8, 4.8, 4.3, 1.5, '#2E2E2E')
    c.circle(4.8, 4.8, 2.9, hexc('#FFFFFF', 150))
    c.thick_line(7.8, 7.8, 11.2, 11.2, 2.2, '#2E2E2E')
    c.fill(3, 4, 4, 1, '#1C1C1C')
    if plus:
        c.fill(4, 3, 1, 3, '#1C1C1C')
    return c


@image('ZoomI16')
def zoom_in():
    return magnifier(True)


@image('ZoomO16')
def zoom_out():
    return magnifier(False)


# ---- marks and lines in the track area -------------------------------------------------------------
def marker(color, kind):
    c = Canvas(9, 12)
    if kind == 'cue':
        c.polygon([(0, 0), (9, 0), (9, 7), (4.5, 11.5), (0, 7)], shade(color, -0.5))
        c.polygon([(1, 1), (8, 1), (8, 6.6), (4.5, 10), (1, 6.6)], color)
    elif kind == 'start':
        c.polygon([(0, 0), (9, 0), (9, 7), (1.5, 7), (1.5, 12), (0, 12)], shade(color, -0.5))
        c.polygon([(1, 1), (8, 1), (8, 6), (1, 6)], color)
    else:
        c.polygon([(9, 0), (0, 0), (0, 7), (7.5, 7), (7.5, 12), (9, 12)], shade(color, -0.5))
        c.polygon([(8, 1), (1, 1), (1, 6), (8, 6)], color)
    return c


@image('mark_q')
def mark_q():
    return marker(AMBER, 'cue')


@image('mark_s')
def mark_s():
    return marker('#5FB8AE', 'start')


@image('mark_e')
def mark_e():
    return marker('#5FB8AE', 'end')


@image('loop_s')
def loop_s():
    return marker('#7C8CF0', 'start')


@image('loop_e')
def loop_e():
    return marker('#7C8CF0', 'end')


def dotted(color, on, period, vertical=True):
    c = Canvas(1, period) if vertical else Canvas(period, 1)
    for i in range(on):
        c.set(0, i, color) if vertical else c.set(i, 0, color)
    return c


@image('cue_line')
def cue_line():
    return dotted(AMBER, 2, 4)


@image('loop_line')
def loop_line():
    return dotted('#7C8CF0', 3, 5)


@image('sec_line')
def sec_line():
    return dotted('#5FB8AE', 1, 3)


@image('track_bar')
def track_bar():
    c = Canvas(8, 8)
    c.vgrad(0, 0, 8, 8, ['#78C4BC', '#3E9088'], blend=False)
    for i in range(8):
        c.put((i + 3) % 8, i, hexc('#FFFFFF', 40))
    return c


@image('navi_bg')
def navi_bg():
    c = Canvas(8, 20)
    c.vgrad(0, 0, 8, 20, ['#2E2E2E', '#3A3A3A', '#343434'], blend=False)
    c.hline(0, 0, 8, '#1E1E1E')
    c.hline(0, 19, 8, '#4A4A4A')
    return c


# ---- fade dialog pictures -------------------------------------------------------------------------
def curve_picture(fn, color):
    w, h = 48, 32
    c = Canvas(w, h)
    well(c, 0, 0, w, h, fill='#1E2624', radius=3)
    for gx in range(8, w - 2, 8):
        c.vline(gx, 2, h - 4, hexc('#FFFFFF', 18))
    pts = [(3 + i * (w - 6) / 40, h - 4 - fn(i / 40) * (h - 8)) for i in range(41)]
    fillpts = pts + [(w - 3, h - 3), (3, h - 3)]
    c.polygon(fillpts, hexc(color, 70))
    for a, b in zip(pts, pts[1:]):
        c.thick_line(a[0], a[1], b[0], b[1], 1.5, color)
    return c


@image('line_1')
def line_1():
    return curve_picture(lambda t: t, LCD_ON)


@image('line_2')
def line_2():
    return curve_picture(lambda t: math.sin(t * math.pi / 2), LCD_ON)


@image('fade_in')
def fade_in():
    return curve_picture(lambda t: t * t, GREEN)


@image('fade_out')
def fade_out():
    return curve_picture(lambda t: (1 - t) ** 2, AMBER)



# ==== controller ===============================================================================
SEGMENTS = {
    '0': 'abcdef', '1': 'bc', '2': 'abged', '3': 'abgcd', '4': 'fgbc', '5': 'afgcd', '6': 'afgedc',
    '7': 'abc', '8': 'abcdefg', '9': 'abcdfg', '-': 'g',
}
GLYPH_ORDER = '0123456789:. ;-'


def seven_segment(c, x, y, w, h, segments, on, ghost, slant=0.12):
    """A seven-segment digit in the box (x, y, w, h)."""
    t = max(1.25, w * 0.2)
    x0, x1 = x + t / 2 + 0.3, x + w - t / 2 - 0.3
    y0, ym, y1 = y + t / 2, y + h / 2, y + h - t / 2
    cy = y + h / 2

    def sl(px, py):
        return (px - (py - cy) * slant, py)

    def hseg(ax, bx, yy):
        g = t * 0.15
        return [sl(ax + g, yy), sl(ax + t / 2 + g, yy - t / 2), sl(bx - t / 2 - g, yy - t / 2), sl(bx - g, yy),
                sl(bx - t / 2 - g, yy + t / 2), sl(ax + t / 2 + g, yy + t / 2)]

    def vseg(xx, ay, by):
        g = t * 0.15
        return [sl(xx, ay + g), sl(xx + t / 2, ay + t / 2 + g), sl(xx + t / 2, by - t / 2 - g), sl(xx, by - g),
                sl(xx - t / 2, by - t / 2 - g), sl(xx - t / 2, ay + t / 2 + g)]

    shapes = {'a': hseg(x0, x1, y0), 'g': hseg(x0, x1, ym), 'd': hseg(x0, x1, y1), 'f': vseg(x0, y0, ym),
              'b': vseg(x1, y0, ym), 'e': vseg(x0, ym, y1), 'c': vseg(x1, ym, y1)}
    for name, pts in shapes.items():
        if ghost:
            c.polygon(pts, ghost)
    for name in segments:
        c.polygon(shapes[name], on)


def digit_strip(gw, gh, pad_x, pad_y):
    frames = []
    for ch in GLYPH_ORDER:
        c = Canvas(gw, gh, LCD)
        bx, by, bw, bh = pad_x, pad_y, gw - 2 * pad_x, gh - 2 * pad_y
        if ch in SEGMENTS:
            # a soft glow under the lit segments
            glow = Canvas(gw, gh)
            seven_segment(glow, bx, by, bw, bh, SEGMENTS[ch], hexc(LCD_ON, 70), None)
            seven_segment(c, bx, by, bw, bh, '', LCD_ON, LCD_GHOST)
            c.blit(glow, 0, 0)
            seven_segment(c, bx, by, bw, bh, SEGMENTS[ch], LCD_ON, None)
        elif ch == ' ':
            seven_segment(c, bx, by, bw, bh, '', LCD_ON, LCD_GHOST)
        elif ch in ':;':
            r = max(gw * 0.1, 0.9)
            col = LCD_ON if ch == ':' else LCD_GHOST
            c.circle(gw / 2, gh * 0.34, r, col)
            c.circle(gw / 2, gh * 0.70, r, col)
        elif ch == '.':
            r = max(gw * 0.1, 0.9)
            c.circle(gw / 2 - 0.5, gh - pad_y - r, r, LCD_ON)
        frames.append(c)
    return hstrip(frames)


@image('ctrl_num_big')
def ctrl_num_big():
    return digit_strip(11, 16, 2, 2)


@image('ctrl_num_small')
def ctrl_num_small():
    return digit_strip(8, 11, 1.5, 1.5)


@image('bctrl_num_big')
def bctrl_num_big():
    return digit_strip(19, 28, 3.5, 3)


@image('bctrl_num_small')
def bctrl_num_small():
    return digit_strip(11, 15, 2, 2)


# Panel layouts: positions of the controller's layout table; sizes chosen here.
COMPACT = dict(w=294, h=86, btn=(25, 22), auto=(66, 20), bgm=(74, 16), big=(11, 16), small=(8, 11),
               big_at=(13, 8), small_at=(213, 68), buttons={
                   'back': (2, 31), 'play': (30, 31), 'stop': (56, 31), 'next': (82, 31), 'pause': (109, 31),
                   'rec': (136, 31), 'totop': (172, 31), 'loop': (199, 31), 'prevcue': (235, 31),
                   'nextcue': (263, 31)}, wauto=(149, 5), rauto=(219, 5), bgm_at=(2, 65), glyph=9)
BIG = dict(w=416, h=120, btn=(34, 32), auto=(84, 26), bgm=(100, 20), big=(19, 28), small=(11, 15),
           big_at=(11, 11), small_at=(307, 97), buttons={
               'back': (2, 48), 'play': (44, 48), 'stop': (86, 48), 'next': (128, 48), 'pause': (170, 48),
               'rec': (212, 48), 'totop': (263, 48), 'loop': (298, 48), 'prevcue': (343, 48),
               'nextcue': (378, 48)}, wauto=(232, 11), rauto=(323, 11), bgm_at=(2, 93), glyph=13)


def panel_base(L):
    w, h = L['w'], L['h']
    c = Canvas(w, h)
    brushed(c, 0, 0, w, h, '#505050', '#383838', seed=11, amount=4)
    c.hline(0, 0, w, '#6C6C6C')
    c.hline(0, h - 1, w, '#262626')
    # counter windows, one pixel around the glyph rows
    gx, gy = L['big_at']
    gw, gh = L['big']
    well(c, gx - 5, gy - 4, gw * 11 + 10, gh + 8, fill=LCD, radius=3)
    sx, sy = L['small_at']
    sw, sh = L['small']
    well(c, sx - 4, sy - 3, sw * 8 + 8, sh + 6, fill=LCD, radius=2)
    size = 7 if L is COMPACT else 9
    label = 'REMAIN'
    from skinlib import text_mask
    m = text_mask(label, size, 'DejaVu-Sans-Condensed-Bold')
    c.text(sx - 8 - m.w, sy + (sh - m.h) // 2, label, size, '#9A9A9A', 'DejaVu-Sans-Condensed-Bold')
    # a groove under the transport row
    bx, by = L['buttons']['back']
    bw, bh = L['btn']
    c.hline(2, by + bh + 3, w - 4, '#2A2A2A')
    c.hline(2, by + bh + 4, w - 4, '#5A5A5A')
    return c


def transport(kind, L, frames):
    w, h = L['btn']
    states = STATES8 if frames == 8 else STATES4
    accent = {'rec': RED, 'play': GREEN, 'pause': AMBER}.get(kind, TEAL)
    return button_strip(w, h, states, transport_glyph(kind, L['glyph']), accent=accent if frames == 8 else TEAL)


def auto_button(label, L):
    w, h = L['auto']
    size = 8 if L is COMPACT else 10

    def g(c, pressed, color, st):
        on = st['lit'] and not st['disabled']
        r = 2.6 if L is COMPACT else 3.4
        led(c, 9 + pressed, h / 2 + pressed, r, on, AMBER)
        c.text(16 + pressed, pressed, label, size, color, 'DejaVu-Sans-Condensed-Bold', align='center',
               valign='center', box=(w - 18, h))
    return button_strip(w, h, STATES8, g, accent='#5A5A5A')


def bgm_indicator(L):
    w, h = L['bgm']
    size = 7 if L is COMPACT else 9

    def draw(c, lit, pressed, disabled):
        r = 2.8 if L is COMPACT else 3.6
        led(c, r + 3, h / 2, r, lit, RED)
        c.text(int(2 * r + 8), 0, 'REC + PLAY', size, '#D8D8D8' if lit else '#8A8A8A', 'DejaVu-Sans-Condensed-Bold',
               valign='center', box=(w, h))
    return strip(w, h, [dict(lit=0, pressed=0, disabled=0), dict(lit=1, pressed=0, disabled=0)], draw)


def controller_images(prefix, L):
    names = {'loop': 8, 'totop': 4, 'back': 4, 'play': 8, 'next': 4, 'stop': 4, 'pause': 8, 'rec': 8,
             'prevcue': 4, 'nextcue': 4}
    for kind, frames in names.items():
        IMAGES[prefix + kind] = (lambda k=kind, f=frames: transport(k, L, f))
    IMAGES[prefix + 'base'] = lambda: panel_base(L)
    IMAGES[prefix + 'rauto_btn'] = lambda: auto_button('READ', L)
    IMAGES[prefix + 'wauto_btn'] = lambda: auto_button('WRITE', L)
    IMAGES[prefix + 'bgm'] = lambda: bgm_indicator(L)


controller_images('ctrl_', COMPACT)
controller_images('bctrl_', BIG)



# ==== mixer strips ================================================================================
STRIP_H = 380
LABEL_PLATE = '#CDCDCD'


def strip_body(w, title=None, seed=5):
    c = Canvas(w, STRIP_H)
    brushed(c, 0, 0, w, STRIP_H, '#4C4C4C', '#383838', seed=seed, amount=3)
    c.vline(0, 0, STRIP_H, '#5C5C5C')
    c.vline(w - 1, 0, STRIP_H, '#242424')
    # header band (the track number or the title)
    c.vgrad(1, 0, w - 2, 22, ['#3A3A3A', '#303030'], blend=False)
    c.hline(1, 22, w - 2, '#262626')
    c.hline(1, 23, w - 2, '#595959')
    c.hline(1, STRIP_H - 1, w - 2, '#262626')
    if title:
        c.text(0, 0, title, 8, '#1E1E1E', 'DejaVu-Sans-Condensed-Bold', align='center', valign='center',
               box=(w, 23))
        c.text(0, -1, title, 8, '#A8A8A8', 'DejaVu-Sans-Condensed-Bold', align='center', valign='center',
               box=(w, 23))
    return c


def plate(c, x, y, w, h, fill=LABEL_PLATE):
    well(c, x, y, w, h, fill=fill, radius=2)


def caption(c, x, y, w, text, size=6):
    c.text(x, y, text, size, '#8C8C8C', 'DejaVu-Sans-Condensed-Bold', align='center', box=(w, 8))


def v_groove(c, cx, y0, y1):
    x = int(cx) - 1
    c.rrect(x - 1, y0 - 2, 5, y1 - y0 + 4, 2, '#1A1A1A')
    c.vline(x, y0 - 1, y1 - y0 + 2, '#0C0C0C')
    c.vline(x + 1, y0 - 1, y1 - y0 + 2, '#101010')
    c.vline(x + 3, y0, y1 - y0 + 1, hexc('#FFFFFF', 30))


def h_groove(c, x0, x1, cy):
    y = int(cy) - 1
    c.rrect(x0 - 2, y - 1, x1 - x0 + 4, 5, 2, '#1A1A1A')
    c.hline(x0 - 1, y, x1 - x0 + 2, '#0C0C0C')
    c.hline(x0 - 1, y + 1, x1 - x0 + 2, '#101010')


def fader_scale(c, cx, top, length, unity_at, marks, side='both'):
    """Tick marks beside a fader groove: marks are (gain, label)."""
    bottom = top + length
    for gain, label in marks:
        y = int(round(bottom - gain * (bottom - top) / unity_at)) if gain is not None else bottom
        major = gain == 1.0
        col = TEAL if major else '#7A7A7A'
        if side in ('both', 'left'):
            c.hline(int(cx) - 12, y, 6, col)
        if side in ('both', 'right'):
            c.hline(int(cx) + 7, y, 6, col)
        if label and side in ('both', 'left'):
            c.text(int(cx) - 26, y - 3, label, 6, '#9A9A9A' if not major else TEAL, 'DejaVu-Sans-Condensed',
                   align='right', box=(12, 7))


VOLUME_MARKS = [(1.5, '+3'), (1.0, '0'), (0.5, '6'), (0.25, '12'), (0.1, '20'), (0.0, None)]


def pan_groove(c):
    # pan slider: element (5, 134) 61 x 15, knob centre from 15 to 59
    caption(c, 5, 124, 61, 'PAN')
    h_groove(c, 15, 59, 141)
    c.vline(37, 135, 3, '#8A8A8A')
    c.vline(37, 146, 3, '#8A8A8A')
    c.text(2, 137, 'L', 6, '#8C8C8C', 'DejaVu-Sans-Condensed-Bold')
    c.text(63, 137, 'R', 6, '#8C8C8C', 'DejaVu-Sans-Condensed-Bold')


def track_strip(asio=False, stereo=False):
    w = 90 if asio else 72
    c = strip_body(w, seed=9 if asio else 5)
    plate(c, 7, 31, 58, 14)                                   # name
    pan_groove(c)
    if asio:
        fx, length = 20, 160
    else:
        fx, length = 30, 159
    cx = fx + 7.5
    v_groove(c, cx, 156 + 9, 156 + 9 + length)
    fader_scale(c, cx, 156 + 9, length, 1.5 if True else 1, [(g / 1.5 * 1.5, l) for g, l in VOLUME_MARKS],
                side='both' if not asio else 'left')
    plate(c, 4 if asio else 15, 339, 43, 14)                 # volume text
    if asio:
        # meter window: mono bar at 51, stereo bars at 46 and 56, 8 wide, from y 160, 170 high
        if stereo:
            well(c, 44, 158, 22, 174, fill='#0E0E0E', radius=2)
        else:
            well(c, 49, 158, 12, 174, fill='#0E0E0E', radius=2)
        well(c, 6, 362, 48, 12, fill='#1C1C1C', radius=2)     # output channel (white text)
    return c


@image('mixer_track_bg')
def mixer_track_bg():
    return track_strip()


@image('mixer_asio_track_bg_mono')
def mixer_asio_track_bg_mono():
    return track_strip(asio=True)


@image('mixer_asio_track_bg_ste')
def mixer_asio_track_bg_ste():
    return track_strip(asio=True, stereo=True)


def collapsed_strip():
    c = strip_body(22, seed=13)
    for y in range(40, STRIP_H - 20, 4):
        c.hline(8, y, 6, '#2A2A2A')
        c.hline(8, y + 1, 6, '#5A5A5A')
    return c


@image('mixer_track_bg2')
def mixer_track_bg2():
    return collapsed_strip()


@image('mixer_asio_track_bg2')
def mixer_asio_track_bg2():
    return collapsed_strip()


METER_MARKS = [(1.0, '0'), (0.5, '6'), (0.25, '12'), (0.1, '20')]


def meter_window(c, x0, x1, top=132, height=196):
    well(c, x0, top - 2, x1 - x0, height + 4, fill='#0E0E0E', radius=2)
    for gain, label in METER_MARKS:
        y = int(round(top + height - gain * height))
        c.hline(x1 + 1, y, 4, '#7A7A7A' if gain != 1.0 else RED)
        c.text(x1 + 6, y - 3, label, 6, '#8A8A8A', 'DejaVu-Sans-Condensed')


def master_strip(asio=False):
    w = 108
    c = strip_body(w, 'MASTER', seed=21 if asio else 17)
    for ch in (0, 1):
        x = 18 + 20 * ch
        plate(c, x, 112, 20, 16)                              # "L", "R"
    if asio:
        meter_window(c, 25, 50)
    else:
        meter_window(c, 23, 53)
    for x, y in ((15, 333), (33, 344)):
        plate(c, x, y, 26, 12)                                # peak hold
    cx = 77 + 7.5
    v_groove(c, cx, 129 + 9, 129 + 9 + 186)
    fader_scale(c, cx, 129 + 9, 186, 1.0, [(1.0, '0'), (0.5, '6'), (0.25, '12'), (0.1, '20'), (0.0, None)],
                side='right')
    plate(c, 61, 339, 43, 14)
    return c


@image('mixer_vol_bg')
def mixer_vol_bg():
    return master_strip()


@image('mixer_asio_vol_bg')
def mixer_asio_vol_bg():
    return master_strip(asio=True)


@image('mixer_rec_bg')
def mixer_rec_bg():
    w = 96
    c = strip_body(w, 'INPUT', seed=25)
    for ch in (0, 1):
        plate(c, 7 + 20 * ch, 112, 20, 16)
    meter_window(c, 14, 44)
    for x, y in ((4, 333), (22, 344)):
        plate(c, x, y, 26, 12)
    cx = 60 + 7.5
    v_groove(c, cx, 129 + 9, 129 + 9 + 186)
    fader_scale(c, cx, 129 + 9, 186, 1.0, [(1.0, None), (0.5, None), (0.25, None), (0.1, None), (0.0, None)],
                side='right')
    return c


def meter_bar(w, h, lit_colors, seg=3):
    c = Canvas(w * 2, h)
    for half in (0, 1):
        for y in range(h):
            t = 1 - y / max(h - 1, 1)
            col = _meter_color(t, lit_colors)
            if half:
                col = mix(col, '#101010', 0.82)
            if y % seg == seg - 1:
                col = '#0A0A0A'
            for x in range(w):
                edge = x == 0 or x == w - 1
                c.set(half * w + x, y, shade(col, -0.25) if edge else col)
    return c


def _meter_color(t, colors):
    if t > 0.89:
        return colors[2]
    if t > 0.5:
        return mix(colors[0], colors[1], (t - 0.5) / 0.39)
    return colors[0]


@image('mixer_vol_meter1')
def mixer_vol_meter1():
    return meter_bar(7, 196, ['#3CC85A', '#E8D040', '#F03A3A'])


@image('mixer_vol_meter2')
def mixer_vol_meter2():
    return meter_bar(8, 170, ['#3CC85A', '#E8D040', '#F03A3A'])


@image('mixer_vol_meter3')
def mixer_vol_meter3():
    return meter_bar(7, 196, ['#2FB6AA', '#7FE0D6', '#F03A3A'])


@image('mixer_resize')
def mixer_resize():
    c = Canvas(12, STRIP_H)
    brushed(c, 0, 0, 12, STRIP_H, '#4A4A4A', '#363636', seed=31, amount=2)
    c.vline(0, 0, STRIP_H, '#5C5C5C')
    c.vline(11, 0, STRIP_H, '#242424')
    for y in range(STRIP_H // 2 - 20, STRIP_H // 2 + 20, 4):
        c.circle(6, y, 1.1, '#222222')
        c.circle(5.6, y - 0.4, 0.8, '#6A6A6A')
    return c


def labelled(label, w, h, accent=TEAL, size=8, led_color=None):
    def g(c, pressed, color, st):
        x = 0
        if led_color:
            led(c, 7 + pressed, h / 2 + pressed, 2.4, st['lit'] and not st['disabled'], led_color)
            x = 8
        c.text(x + pressed, pressed, label, size, color, 'DejaVu-Sans-Condensed-Bold', align='center',
               valign='center', box=(w - x, h))
    return button_strip(w, h, STATES8, g, accent=accent)


@image('asio_track_level_btn')
def asio_track_level_btn():
    return labelled('ST', 30, 16, TEAL)


@image('mixer_vol_group_btn')
def mixer_vol_group_btn():
    def g(c, pressed, color, st):
        link_glyph_at(c, 13 + pressed, 9 + pressed, color if not st['lit'] or st['disabled'] else '#FFFFFF')
        c.text(22 + pressed, pressed, 'GROUP', 8, color, 'DejaVu-Sans-Condensed-Bold', align='center',
               valign='center', box=(36, 18))
    return button_strip(60, 18, STATES8, g, accent=TEAL)


def link_glyph_at(c, cx, cy, col):
    c.shape(lambda px, py: _link(px - cx + 3.2, py - cy), cx - 8, cy - 5, cx, cy + 5, col)
    c.shape(lambda px, py: _link(px - cx - 3.2, py - cy), cx, cy - 5, cx + 8, cy + 5, col)


@image('mixer_rec_mono_btn')
def mixer_rec_mono_btn():
    return labelled('MONO', 44, 18, TEAL)


@image('mixer_rec_stereo_btn')
def mixer_rec_stereo_btn():
    return labelled('STEREO', 44, 18, TEAL)


@image('mixer_track_btrack_btn')
def mixer_track_btrack_btn():
    return labelled('LEAD', 56, 15, AMBER, led_color=AMBER)


@image('mixer_track_group_btn')
def mixer_track_group_btn():
    return labelled('GROUP', 56, 15, TEAL, led_color=TEAL)


@image('mixer_rec_monitor_btn')
def mixer_rec_monitor_btn():
    return labelled('MONITOR', 76, 16, GREEN, led_color=GREEN)


# ---- slider knobs ---------------------------------------------------------------------------------
def knob(w, h, vertical, dim):
    c = Canvas(w, h)
    top, bottom = ('#E6E6E6', '#9A9A9A') if not dim else ('#8A8A8A', '#6A6A6A')
    c.rrect(0, 0, w, h, 2, '#121212')
    c.rrect(1, 1, w - 2, h - 2, 1.5, lambda x, y: mix(top, bottom, (y - 1) / max(h - 3, 1)))
    c.hline(2, 1, w - 4, hexc('#FFFFFF', 140 if not dim else 50))
    line = '#1A1A1A' if not dim else '#4A4A4A'
    if vertical:
        # grip ridges and the centre line that reads the value
        for dy in (-4, 4):
            c.hline(3, h // 2 + dy, w - 6, hexc('#000000', 70))
        c.hline(2, h // 2 - 1, w - 4, line)
        c.hline(2, h // 2, w - 4, TEAL if not dim else '#5A5A5A')
    else:
        c.vline(w // 2, 2, h - 4, TEAL if not dim else '#5A5A5A')
        c.vline(w // 2 - 1, 2, h - 4, line)
    return c


@image('thumb_h')
def thumb_h():
    return knob(11, 15, False, False)


@image('thumb_v')
def thumb_v():
    return knob(15, 18, True, False)


@image('thumb_h_dim')
def thumb_h_dim():
    return knob(11, 15, False, True)


@image('thumb_v_dim')
def thumb_v_dim():
    return knob(15, 18, True, True)



# ==== skinned scroll bars (16 pixels thick) ===============================================================
SB = 16


def transpose(c):
    t = Canvas(c.h, c.w)
    for y in range(c.h):
        for x in range(c.w):
            t.set(y, x, c.get(x, y))
    return t


def sb_track(disabled, length=8):
    """A horizontal track piece, SB high."""
    c = Canvas(length, SB)
    if disabled:
        c.vgrad(0, 0, length, SB, ['#3A3A3A', '#3E3E3E'], blend=False)
    else:
        c.vgrad(0, 0, length, SB, ['#232323', '#2E2E2E', '#343434'], blend=False)
        c.hline(0, 0, length, '#1A1A1A')
        c.hline(0, 1, length, '#1E1E1E')
    c.hline(0, SB - 1, length, '#4A4A4A')
    return c


def sb_arrow_frames(direction):
    """Four frames (normal, disabled, pressed, hot) of an arrow button pointing left or right."""
    frames = []
    for state in ('normal', 'disabled', 'pressed', 'hot'):
        c = Canvas(SB, SB)
        c.fill(0, 0, SB, SB, '#2A2A2A')
        face(c, 0, 0, SB, SB, lit=state == 'hot', pressed=state == 'pressed', disabled=state == 'disabled',
             accent='#6A6A6A', radius=2)
        col = {'normal': GLYPH, 'disabled': GLYPH_DIM, 'pressed': TEAL, 'hot': '#FFFFFF'}[state]
        o = 0.5 if state == 'pressed' else 0
        cx, cy = SB / 2 + o, SB / 2 + o
        if direction == 'left':
            c.polygon([(cx + 2.2, cy - 4), (cx + 2.2, cy + 4), (cx - 2.6, cy)], col)
        else:
            c.polygon([(cx - 2.2, cy - 4), (cx - 2.2, cy + 4), (cx + 2.6, cy)], col)
        frames.append(c)
    return hstrip(frames)


def sb_thumb(part):
    """Pieces of the horizontal thumb: 'left' and 'right' ends 4 wide, 'center' 8 wide (stretched)."""
    full = Canvas(16, SB)
    full.rrect(0, 1, 16, SB - 2, 3, '#111111')
    full.rrect(1, 2, 14, SB - 4, 2.5, lambda x, y: mix('#8A8A8A', '#5A5A5A', (y - 2) / (SB - 5)))
    full.hline(3, 2, 10, hexc('#FFFFFF', 90))
    if part == 'left':
        out = Canvas(4, SB)
        out.blit(full, 0, 0, 0, 0, 4, SB, blend=False)
    elif part == 'right':
        out = Canvas(4, SB)
        out.blit(full, 0, 0, 12, 0, 4, SB, blend=False)
    else:
        out = Canvas(8, SB)
        for x in range(8):
            out.blit(full, x, 0, 8, 0, 1, SB, blend=False)
    return out


@image('scrl_left_btn')
def scrl_left_btn():
    return sb_arrow_frames('left')


@image('scrl_right_btn')
def scrl_right_btn():
    return sb_arrow_frames('right')


@image('scrl_up_btn')
def scrl_up_btn():
    frames = sb_arrow_frames('left')
    return hstrip([transpose(_frame(frames, 4, i)) for i in range(4)])


@image('scrl_down_btn')
def scrl_down_btn():
    frames = sb_arrow_frames('right')
    return hstrip([transpose(_frame(frames, 4, i)) for i in range(4)])


def _frame(img, count, i):
    fw = img.w // count
    c = Canvas(fw, img.h)
    c.blit(img, 0, 0, i * fw, 0, fw, img.h, blend=False)
    return c


for _name, _part in (('rlleft', 'left'), ('rlcenter', 'center'), ('rlright', 'right')):
    IMAGES['scrl_nob_' + _name] = (lambda p=_part: sb_thumb(p))
for _name, _part in (('udtop', 'left'), ('udcenter', 'center'), ('udbottom', 'right')):
    IMAGES['scrl_nob_' + _name] = (lambda p=_part: transpose(sb_thumb(p)))
IMAGES['scrl_line_rl'] = lambda: sb_track(False)
IMAGES['scrl_bg_rlcenter'] = lambda: sb_track(True)
IMAGES['scrl_line_ud'] = lambda: transpose(sb_track(False))
IMAGES['scrl_bg_udcenter'] = lambda: transpose(sb_track(True))


# ==== the caption image "frame": cut by the caption helper into corners, bands and buttons ==============
def caption_button(c, x, y, w, h, glyph, close=False):
    """Two frames of w x h at (x, y): normal, then highlighted. The caption draws one pixel less
    of each frame in both directions, so the button fills w - 1 x h - 1."""
    cell = w
    w, h = w - 1, h - 1
    for i in range(2):
        fx = x + i * cell
        if i:
            accent = '#D8414A' if close else '#8C8C8C'
            c.rrect(fx, y, w, h, 2.5, shade(accent, -0.5))
            c.rrect(fx + 1, y + 1, w - 2, h - 2, 2, lambda px, py, a=accent: mix(shade(a, 0.25), a, (py - y) / h))
            col = '#FFFFFF'
        else:
            c.rrect(fx, y, w, h, 2.5, '#8E8E8E')
            c.rrect(fx + 1, y + 1, w - 2, h - 2, 2, lambda px, py: mix('#F4F4F4', '#CFCFCF', (py - y) / h))
            col = '#3A3A3A'
        glyph(c, fx + w / 2, y + h / 2, col)


def g_close(c, cx, cy, col):
    c.thick_line(cx - 3, cy - 3, cx + 3, cy + 3, 1.6, col)
    c.thick_line(cx - 3, cy + 3, cx + 3, cy - 3, 1.6, col)


def g_min(c, cx, cy, col):
    c.rect(int(cx - 3), int(cy + 2), 7, 2, col)


def g_max(c, cx, cy, col):
    x, y = int(cx - 4), int(cy - 3)
    c.rect(x, y, 8, 2, col)
    c.rect(x, y, 1, 7, col)
    c.rect(x + 7, y, 1, 7, col)
    c.rect(x, y + 6, 8, 1, col)


def g_rollup(c, cx, cy, col):
    c.polygon([(cx - 3.5, cy + 2), (cx + 3.5, cy + 2), (cx, cy - 2.5)], col)
    c.rect(int(cx - 3), int(cy - 4), 7, 1, col)


def g_layout(n):
    def g(c, cx, cy, col):
        c.rect(int(cx - 4), int(cy - 3), 9, 7, col)
        c.rect(int(cx - 3), int(cy - 2), 7, 5, mix(col, '#FFFFFF', 0.6) if col != '#FFFFFF' else '#8C8C8C')
        if n == 1:
            c.rect(int(cx - 3), int(cy), 7, 1, col)
        else:
            c.rect(int(cx), int(cy - 2), 1, 5, col)
    return g


@image('frame')
def frame_image():
    c = Canvas(98, 77)
    # a small window 61 x 61: silver caption band 24 high, 4-pixel borders
    c.vgrad(0, 0, 61, 24, [(0, '#F2F2F2'), (0.5, '#DADADA'), (1, '#C2C2C2')], blend=False)
    c.hline(0, 0, 61, '#8A8A8A')
    c.hline(1, 1, 59, '#FFFFFF')
    c.vline(0, 0, 61, '#8A8A8A')
    c.vline(60, 0, 61, '#6A6A6A')
    c.vline(1, 1, 59, '#F4F4F4')
    c.vline(59, 1, 59, '#A8A8A8')
    for y in range(24, 61):
        c.hline(2, y, 2, '#C8C8C8')
        c.hline(57, y, 2, '#C0C0C0')
    c.fill(2, 57, 57, 2, '#C4C4C4')
    c.fill(0, 24, 61, 1, '#AEAEAE')
    c.hline(0, 60, 61, '#6A6A6A')
    c.hline(1, 59, 59, '#A8A8A8')
    c.vline(3, 25, 32, '#8A8A8A')       # inner edge around the client
    c.vline(57, 25, 32, '#EEEEEE')
    c.hline(3, 57, 55, '#EEEEEE')
    c.fill(4, 25, 53, 32, PANE)
    caption_button(c, 70, 5, 14, 13, g_min)
    caption_button(c, 70, 21, 14, 13, g_max)
    caption_button(c, 70, 37, 14, 14, g_close, close=True)
    caption_button(c, 70, 53, 14, 13, g_rollup)
    caption_button(c, 1, 64, 14, 13, g_layout(1))
    caption_button(c, 32, 64, 14, 13, g_layout(2))
    return c



# ==== effect launcher and effect dialogs (light chrome) ===================================================
LIGHT = '#E2E2E2'       # skin colour 55
LAUNCHER_W = 4 * 64 + 3 + 12 + 4 + 16   # four buttons a line, margins and the scroll bar


@image('el_base_top')
def el_base_top():
    w, h = LAUNCHER_W, 37
    c = Canvas(w, h)
    c.vgrad(0, 0, w, h, ['#D6D6D6', '#CBCBCB'], blend=False)
    c.hline(0, 0, w, '#F4F4F4')
    c.hline(0, h - 2, w, '#A8A8A8')
    c.hline(0, h - 1, w, '#F0F0F0')
    return c


@image('el_base_bottom')
def el_base_bottom():
    w, h = LAUNCHER_W, 10
    c = Canvas(w, h)
    c.vgrad(0, 0, w, h, ['#D0D0D0', '#BDBDBD'], blend=False)
    c.hline(0, 0, w, '#A8A8A8')
    c.hline(0, 1, w, '#F0F0F0')
    c.hline(0, h - 1, w, '#8E8E8E')
    return c


@image('el_resize')
def el_resize():
    c = Canvas(12, 12)
    for i in range(3):
        for j in range(i + 1):
            x, y = 9 - 3 * (i - j), 9 - 3 * j
            c.rect(x, y, 2, 2, '#FFFFFF')
            c.rect(x - 1, y - 1, 2, 2, '#8A8A8A')
    return c


@image('effect_bg')
def effect_bg():
    c = Canvas(16, 16, LIGHT)
    for y in range(16):
        for x in range(16):
            if (x + y) % 4 == 0:
                c.put(x, y, hexc('#FFFFFF', 40))
            elif (x + y) % 4 == 2:
                c.put(x, y, hexc('#000000', 8))
    return c


def light_button(pressed):
    c = Canvas(8, 23)
    if pressed:
        c.vgrad(0, 0, 8, 23, ['#B4B4B4', '#C8C8C8', '#D0D0D0'], blend=False)
        c.hline(0, 0, 8, '#6E6E6E')
        c.hline(0, 1, 8, '#A0A0A0')
        c.hline(0, 22, 8, '#EEEEEE')
    else:
        c.vgrad(0, 0, 8, 23, [(0, '#FAFAFA'), (0.5, '#E6E6E6'), (0.51, '#DCDCDC'), (1, '#C8C8C8')], blend=False)
        c.hline(0, 0, 8, '#FFFFFF')
        c.hline(0, 22, 8, '#8C8C8C')
        c.hline(0, 21, 8, '#B4B4B4')
    return c


@image('effect_btn_u')
def effect_btn_u():
    return light_button(False)


@image('effect_btn_d')
def effect_btn_d():
    return light_button(True)


def preset_button(kind, state):
    w, h = 22, 20
    c = Canvas(w, h)
    top, bottom, edge = {'u': ('#FAFAFA', '#CFCFCF', '#8C8C8C'), 'd': ('#B8B8B8', '#D4D4D4', '#6E6E6E'),
                         'dim': ('#EEEEEE', '#E0E0E0', '#B8B8B8')}[state]
    c.rrect(0, 0, w, h, 3, edge)
    c.rrect(1, 1, w - 2, h - 2, 2.5, lambda x, y: mix(top, bottom, (y - 1) / (h - 3)))
    o = 1 if state == 'd' else 0
    col = {'u': TEAL_DARK, 'd': TEAL_DARK, 'dim': '#B0B0B0'}[state]
    cx, cy = w / 2 + o, h / 2 + o
    # a preset card with a plus or a minus
    c.rrect(cx - 6, cy - 6, 9, 11, 1, '#5A5A5A' if state != 'dim' else '#C4C4C4')
    c.rrect(cx - 5, cy - 5, 7, 9, 0.5, '#FFFFFF' if state != 'dim' else '#F2F2F2')
    for yy in (-3, -1, 1):
        c.hline(int(cx - 4), int(cy + yy), 5, '#9A9A9A' if state != 'dim' else '#DDDDDD')
    c.circle(cx + 4, cy + 3, 4.2, col)
    c.rect(int(cx + 2), int(cy + 2.5), 5, 1, '#FFFFFF')
    c.rect(int(cx + 2), int(cy + 3), 5, 1, '#FFFFFF')
    if kind == 'add':
        c.rect(int(cx + 4), int(cy + 1), 1, 5, '#FFFFFF')
    return c


for _kind in ('add', 'del'):
    for _state in ('u', 'd', 'dim'):
        IMAGES['preset%s_btn_%s' % (_kind, _state)] = (lambda k=_kind, s=_state: preset_button(k, s))


# tab headers of the launcher and its effect buttons; frames: see the module comment
def tab_strip(label):
    w, h = 92, 30

    def one(selected, hot):
        c = Canvas(w, h)
        if selected:
            c.rrect(0, 0, w, h + 4, 5, '#8C8C8C')
            c.rrect(1, 1, w - 2, h + 4, 4, lambda x, y: mix('#FFFFFF', LIGHT, y / h))
            col = TEXT_DARK
        else:
            c.rrect(0, 4, w, h, 5, '#A0A0A0')
            c.rrect(1, 5, w - 2, h - 2, 4, lambda x, y: mix('#E4E4E4' if hot else '#D4D4D4', '#BEBEBE', y / h))
            col = TEAL_DARK if hot else '#6A6A6A'
        c.text(0, 2 if selected else 5, label, 10, col, 'DejaVu-Sans-Bold', align='center', valign='center',
               box=(w, h - 4))
        if selected:
            c.hline(10, h - 4, w - 20, TEAL)
            c.hline(10, h - 3, w - 20, TEAL)
        return c
    return hstrip([one(False, False), one(False, True), one(True, False), one(True, True)])


@image('el_kv5tab')
def el_kv5tab():
    return tab_strip('Effects')


@image('el_kv5tab02')
def el_kv5tab02():
    return tab_strip('Channel')


# The launcher's buttons: the menu's name of the effect under a small picture of what it does,
# in the colour of its family (level and dynamics teal, time and pitch blue, equalisers and
# filters amber, noise work violet, generators and channels green). Opaque on the launcher's
# grid colour: they are drawn straight into its off-screen picture.
EFFECT_BUTTONS = [
    ('el_d_level', 'Gain', 'gain', TEAL), ('el_d_dcoffset', 'DC Offset', 'dcoffset', TEAL),
    ('el_d_normalize', 'Normalize', 'normalize', TEAL), ('el_d_reverse', 'Reverse', 'reverse', BLUE),
    ('el_d_smoothing', 'Smoothing', 'smoothing', '#E8A23C'), ('el_d_fmsound', 'FM Tone', 'fm', GREEN),
    ('el_d_tone', 'Simple Tone', 'tone', GREEN), ('el_d_silence', 'Silence', 'silence', GREEN),
    ('el_d_noise', 'Noise', 'noise', GREEN), ('el_d_mute', 'Mute', 'mute', TEAL),
    ('el_d_fade', 'Fade In/Out', 'fade', TEAL), ('el_d_envelope', 'Envelope', 'envelope', TEAL),
    ('el_d_geq10', 'Graphic EQ', 'geq', '#E8A23C'), ('el_d_peq', 'Parametric EQ', 'peq', '#E8A23C'),
    ('el_d_filter', 'Filter', 'filter', '#E8A23C'), ('el_d_compressor', 'Compressor', 'compressor', TEAL),
    ('el_d_noisegate', 'Noise Gate', 'gate', TEAL), ('el_d_hissnoise', 'Hiss Noise', 'hiss', '#8A6AE0'),
    ('el_d_humnoise', 'Hum Noise', 'hum', '#8A6AE0'), ('el_d_cracklenoise', 'Crackle Noise', 'crackle', '#8A6AE0'),
    ('el_d_learnnoise', 'Noise Profile', 'profile', '#8A6AE0'),
    ('el_d_removenoise', 'Noise Removal', 'removal', '#8A6AE0'), ('el_d_delay', 'Delay', 'delay', BLUE),
    ('el_d_reverb', 'Reverb', 'reverb', BLUE), ('el_d_pitchshift', 'Pitch Shift', 'pitch', BLUE),
    ('el_d_timestretch', 'Time Stretch', 'stretch', BLUE), ('el_d_modulator', 'Modulator', 'modulator', BLUE),
    ('el_d_lofi', 'Lo-Fi', 'lofi', '#E8A23C'), ('el_d_attributes', 'Sample Type', 'sampletype', GREEN),
    ('el_c_monostereo', 'Mono > Stereo', 'monostereo', GREEN), ('el_c_stereomono', 'Stereo > Mono', 'stereomono', GREEN),
    ('el_c_vocalcancel', 'Remove Vocals', 'vocals', GREEN), ('el_c_invert', 'Reverse Phase', 'invert', GREEN),
    ('el_c_normalize', 'Channel Norm.', 'chnormalize', GREEN),
]

# The picture area of a button: x from GX0 to GX1, centre line GY, half height GH.
GX0, GX1, GY, GH = 9, 55, 13, 7


def _curve(c, fn, col, width=1.3, x0=GX0, x1=GX1, steps=46):
    """The line y = GY - fn(t) * GH for t from 0 to 1 across the picture."""
    pts = [(x0 + (x1 - x0) * i / steps, GY - fn(i / steps) * GH) for i in range(steps + 1)]
    for a, b in zip(pts, pts[1:]):
        c.thick_line(a[0], a[1], b[0], b[1], width, col)


def _sine(cycles, phase=0.0):
    return lambda t: math.sin(2 * math.pi * cycles * t + phase)


def _arrow(c, x0, y0, x1, y1, col, head=3):
    c.thick_line(x0, y0, x1, y1, 1.2, col)
    ang = math.atan2(y1 - y0, x1 - x0)
    for side in (-1, 1):
        a = ang + math.pi + side * 0.55
        c.thick_line(x1, y1, x1 + head * math.cos(a), y1 + head * math.sin(a), 1.2, col)


def _dashes(c, y, col, x0=GX0, x1=GX1):
    for x in range(x0, x1, 4):
        c.hline(x, y, 2, col)


def _noise(seed, t, n=40):
    """A repeatable jagged value in -1..1 at t."""
    i = int(t * n)
    v = math.sin(seed * 12.9898 + i * 78.233) * 43758.5453
    return (v - math.floor(v)) * 2 - 1


def effect_picture(c, kind, col, dim):
    faint = mix(col, '#FFFFFF', 0.55)
    if kind == 'gain':
        _curve(c, lambda t: math.sin(2 * math.pi * 4 * t) * (0.2 + 0.8 * t), col)
    elif kind == 'dcoffset':
        _dashes(c, GY, dim)
        _curve(c, lambda t: 0.45 + 0.5 * math.sin(2 * math.pi * 2.5 * t), col)
    elif kind == 'normalize':
        c.hline(GX0, GY - GH, GX1 - GX0, dim)
        c.hline(GX0, GY + GH, GX1 - GX0, dim)
        _curve(c, _sine(3), col)
    elif kind == 'reverse':
        _curve(c, lambda t: math.sin(2 * math.pi * 6 * t) * (0.1 + 0.9 * t ** 2), col)
        _arrow(c, GX1 - 4, GY + GH + 3, GX0 + 6, GY + GH + 3, dim)
    elif kind == 'smoothing':
        _curve(c, lambda t: _sine(2)(t) + (0.35 * _noise(3, t) if t < 0.5 else 0), col, x1=GX1)
    elif kind == 'fm':
        _curve(c, lambda t: math.sin(2 * math.pi * (3 * t + 1.2 * math.sin(2 * math.pi * 1.5 * t))), col, steps=80)
    elif kind == 'tone':
        _curve(c, _sine(2), col, width=1.6)
    elif kind == 'silence':
        c.thick_line(GX0, GY, GX1, GY, 1.6, col)
        for x in (GX0 + 6, GX1 - 6):
            c.vline(x, GY - 4, 9, dim)
    elif kind == 'noise':
        _curve(c, lambda t: _noise(7, t, 46) * 0.95, col, width=1.1, steps=46)
    elif kind == 'mute':
        _curve(c, lambda t: 0 if 0.35 < t < 0.65 else math.sin(2 * math.pi * 5 * t) * 0.9, col)
        c.rect(int(GX0 + 0.35 * (GX1 - GX0)), GY - GH - 1, int(0.3 * (GX1 - GX0)) + 1, 2 * GH + 3, hexc(col, 40))
    elif kind == 'fade':
        _curve(c, lambda t: math.sin(2 * math.pi * 6 * t) * t, faint)
        c.thick_line(GX0, GY + GH, GX1, GY - GH, 1.3, col)
    elif kind == 'envelope':
        pts = [(GX0, GY + 4), (GX0 + 12, GY - 6), (GX0 + 30, GY - 2), (GX1, GY + 6)]
        _curve(c, lambda t: math.sin(2 * math.pi * 6 * t) * 0.6, faint, width=1.0)
        for a, b in zip(pts, pts[1:]):
            c.thick_line(a[0], a[1], b[0], b[1], 1.3, col)
        for p in pts:
            c.rect(int(p[0]) - 1, int(p[1]) - 1, 3, 3, col)
    elif kind == 'geq':
        heights = [3, 5, 8, 10, 7, 4, 6, 9, 11, 6]
        for i, hgt in enumerate(heights):
            x = GX0 + 1 + i * 4.6
            c.rect(int(x), GY + GH - hgt, 3, hgt, col)
    elif kind == 'peq':
        c.hline(GX0, GY + 3, GX1 - GX0, dim)
        _curve(c, lambda t: 0.43 - 1.0 * math.exp(-((t - 0.55) / 0.12) ** 2) * -1.0 - 0.86, col)
        c.circle(GX0 + 0.55 * (GX1 - GX0), GY - GH + 2.0, 2.2, col)
    elif kind == 'filter':
        _curve(c, lambda t: 0.6 if t < 0.45 else 0.6 - 1.6 * (t - 0.45) / 0.55 * min(1, (t - 0.45) * 4), col)
        _dashes(c, GY + GH, dim)
    elif kind == 'compressor':
        c.vline(GX0 + 10, GY - GH - 1, 2 * GH + 3, dim)
        c.hline(GX0 + 10, GY + GH + 1, 30, dim)
        c.thick_line(GX0 + 10, GY + GH + 1, GX0 + 26, GY - 2, 1.4, col)
        c.thick_line(GX0 + 26, GY - 2, GX0 + 40, GY - 5, 1.4, col)
    elif kind == 'gate':
        _curve(c, lambda t: math.sin(2 * math.pi * 7 * t) * (0.9 if (t < 0.3 or t > 0.7) else 0.08), col)
        for x in (GX0 + 0.3 * (GX1 - GX0), GX0 + 0.7 * (GX1 - GX0)):
            c.vline(int(x), GY - GH - 1, 2 * GH + 3, dim)
    elif kind == 'hiss':
        _curve(c, lambda t: _sine(2)(t) * 0.7 + 0.22 * _noise(5, t, 60), faint, width=1.0, steps=60)
        _curve(c, lambda t: _sine(2)(t) * 0.7, col, width=1.4)
    elif kind == 'hum':
        _curve(c, lambda t: _sine(3)(t) * 0.55 + 0.4 * math.sin(2 * math.pi * 0.5 * t), faint, width=1.0)
        _curve(c, lambda t: _sine(3)(t) * 0.55, col, width=1.4)
    elif kind == 'crackle':
        _curve(c, lambda t: _sine(2)(t) * 0.55, col)
        for t in (0.22, 0.51, 0.8):
            x = GX0 + t * (GX1 - GX0)
            c.thick_line(x, GY - GH - 1, x + 1, GY + GH + 1, 1.0, '#C8323C' if not dim == '#C4C4C4' else dim)
    elif kind == 'profile':
        for i, hgt in enumerate([4, 7, 6, 9, 5, 8, 4, 6]):
            c.rect(GX0 + 2 + i * 4, GY + GH - hgt, 3, hgt, faint)
        c.ring(GX1 - 10, GY - 1, 5, 1.4, col)
        c.thick_line(GX1 - 6, GY + 3, GX1 - 2, GY + 7, 1.6, col)
    elif kind == 'removal':
        for i, hgt in enumerate([4, 7, 6, 9, 5, 8, 4, 6]):
            c.rect(GX0 + 2 + i * 4, GY + GH - hgt, 3, hgt, faint)
            c.rect(GX0 + 2 + i * 4, GY + GH - max(1, hgt // 3), 3, max(1, hgt // 3), col)
        _arrow(c, GX1 - 6, GY - GH, GX1 - 6, GY + 4, col)
    elif kind == 'delay':
        for i, a in enumerate([1.0, 0.6, 0.36, 0.2]):
            x = GX0 + i * 12
            _curve(c, lambda t, a=a: math.sin(2 * math.pi * 2 * t) * a, col, x0=x, x1=x + 9, steps=18)
    elif kind == 'reverb':
        _curve(c, lambda t: math.sin(2 * math.pi * 11 * t) * math.exp(-3.2 * t), col, steps=90)
    elif kind == 'pitch':
        _curve(c, lambda t: math.sin(2 * math.pi * 2 * t) * 0.7, faint, x1=GX0 + 22)
        _curve(c, lambda t: math.sin(2 * math.pi * 4 * t) * 0.7, col, x0=GX0 + 24)
        _arrow(c, GX0 + 23, GY + 5, GX0 + 23, GY - 6, dim)
    elif kind == 'stretch':
        _curve(c, _sine(2), col)
        _arrow(c, GX0 + 16, GY + GH + 3, GX0 + 2, GY + GH + 3, dim, head=2.5)
        _arrow(c, GX1 - 16, GY + GH + 3, GX1 - 2, GY + GH + 3, dim, head=2.5)
    elif kind == 'modulator':
        _curve(c, lambda t: math.sin(2 * math.pi * 9 * t) * math.sin(math.pi * 2 * t), col, steps=90)
        _curve(c, lambda t: abs(math.sin(math.pi * 2 * t)), faint, width=1.0)
    elif kind == 'lofi':
        # sample and hold on a coarse grid: the steps of a low rate and few bits
        _curve(c, lambda t: round(math.sin(2 * math.pi * 2 * (math.floor(t * 14) + 0.5) / 14) * 2) / 2, col,
               steps=140)
    elif kind == 'sampletype':
        _curve(c, _sine(1.5), faint, width=1.0)
        for i in range(12):
            t = i / 11
            c.circle(GX0 + t * (GX1 - GX0), GY - _sine(1.5)(t) * GH, 1.5, col)
    elif kind == 'monostereo':
        c.thick_line(GX0, GY, GX0 + 18, GY, 1.6, col)
        c.thick_line(GX0 + 18, GY, GX1, GY - 5, 1.6, col)
        c.thick_line(GX0 + 18, GY, GX1, GY + 5, 1.6, col)
    elif kind == 'stereomono':
        c.thick_line(GX0, GY - 5, GX1 - 18, GY, 1.6, col)
        c.thick_line(GX0, GY + 5, GX1 - 18, GY, 1.6, col)
        c.thick_line(GX1 - 18, GY, GX1, GY, 1.6, col)
    elif kind == 'vocals':
        _curve(c, lambda t: math.sin(2 * math.pi * 3 * t) * 0.9, faint, width=1.0)
        c.ring(GX0 + 23, GY, 5.5, 1.4, col)
        c.thick_line(GX0 + 19, GY + 4, GX0 + 27, GY - 4, 1.4, col)
        c.rect(GX0 + 22, GY - 3, 3, 5, col)
    elif kind == 'invert':
        _curve(c, _sine(2), col)
        _curve(c, _sine(2, math.pi), faint, width=1.0)
    elif kind == 'chnormalize':
        c.hline(GX0, GY - GH, GX1 - GX0, dim)
        c.hline(GX0, GY + GH, GX1 - GX0, dim)
        _curve(c, lambda t: 0.5 + 0.45 * math.sin(2 * math.pi * 3 * t), col, width=1.1)
        _curve(c, lambda t: -0.5 + 0.45 * math.sin(2 * math.pi * 4 * t + 1), col, width=1.1)


def effect_button(label, kind, hue):
    w, h = 64, 40

    def one(state):
        c = Canvas(w, h, LIGHT)
        pressed = state in ('pressed', 'on')
        top, bottom = ('#FCFCFC', '#D6D6D6') if not pressed else ('#C4C4C4', '#DCDCDC')
        if state == 'disabled':
            top, bottom = '#EEEEEE', '#E4E4E4'
        edge = {'on': TEAL_DARK, 'disabled': '#B4B4B4'}.get(state, '#8C8C8C')
        c.rrect(0, 0, w, h, 4, edge)
        c.rrect(1, 1, w - 2, h - 2, 3, lambda x, y: mix(top, bottom, (y - 1) / (h - 3)))
        if state == 'on':
            c.rrect(1, 1, w - 2, 3, 1.5, TEAL)
        o = 1 if pressed else 0
        col = hue if state != 'disabled' else '#C4C4C4'
        dim = '#9A9A9A' if state != 'disabled' else '#D2D2D2'
        picture = Canvas(w, h)
        effect_picture(picture, kind, col, dim)
        c.blit(picture, o, o)
        tcol = TEXT_DARK if state != 'disabled' else '#B0B0B0'
        size = 8 if len(label) <= 11 else 7
        c.text(o, 22 + o, label, size, tcol, 'DejaVu-Sans-Condensed-Bold', align='center', valign='center',
               box=(w, 16))
        return c
    return hstrip([one('normal'), one('disabled'), one('pressed'), one('on')])


for _name, _label, _kind, _hue in EFFECT_BUTTONS:
    IMAGES[_name] = (lambda l=_label, k=_kind, hu=_hue: effect_button(l, k, hu))


# ==== tool-bar strips (bitmap resources "ToolBarExE" and "ToolBarExD", 16 x 16 each) =========================
# Light grey 0xC0C0C0 is the mask colour. The order is the order of the tool bar's buttons.
TOOLBAR_ICONS = ['new', 'open', 'save', 'cut', 'copy', 'paste', 'delete', 'trim', 'undo', 'redo', 'addtrack',
                 'zoomin', 'zoomout', 'fit', 'controller', 'mixer', 'effects', 'markers']
OUTLINE = '#2E3438'


def page(c, x, y, w, h, fill='#FFFFFF'):
    fold = 4
    c.polygon([(x, y), (x + w - fold, y), (x + w, y + fold), (x + w, y + h), (x, y + h)], OUTLINE)
    c.polygon([(x + 1, y + 1), (x + w - fold - 0.5, y + 1), (x + w - 1, y + fold + 0.5), (x + w - 1, y + h - 1),
               (x + 1, y + h - 1)], fill)
    c.polygon([(x + w - fold, y), (x + w - fold, y + fold), (x + w, y + fold)], '#A0A8AC')


def curved_arrow(c, right, color):
    cx, cy, r = 8, 10, 5.2
    c.shape(lambda px, py: (r - 1.9) ** 2 <= (px - cx) ** 2 + (py - cy) ** 2 <= r * r and py <= cy + 0.5,
            2, 4, 14, 11, color)
    if right:
        c.polygon([(cx + r + 2.8, cy - 0.5), (cx + r - 4.2, cy - 0.5), (cx + r - 0.7, cy + 4)], color)
    else:
        c.polygon([(cx - r - 2.8, cy - 0.5), (cx - r + 4.2, cy - 0.5), (cx - r + 0.7, cy + 4)], color)


def tool_icon(kind):
    c = Canvas(16, 16)
    if kind == 'new':
        page(c, 3, 1, 10, 14)
        c.circle(12, 12, 3.4, '#2E9E4A')
        c.fill(10, 12, 5, 1, '#FFFFFF')
        c.fill(12, 10, 1, 5, '#FFFFFF')
    elif kind == 'open':
        c.polygon([(1, 3), (6, 3), (7, 5), (13, 5), (13, 14), (1, 14)], '#7A5A10')
        c.polygon([(2, 4), (5.5, 4), (6.5, 6), (12, 6), (12, 13), (2, 13)], '#F2C94C')
        c.polygon([(3, 8), (15.5, 8), (13, 14), (1, 14)], '#7A5A10')
        c.polygon([(3.6, 9), (14.2, 9), (12.3, 13), (2.2, 13)], '#FFE08A')
    elif kind == 'save':
        c.rrect(1, 1, 14, 14, 1.5, '#1E3A5A')
        c.rrect(2, 2, 12, 12, 1, '#3C6EA8')
        c.fill(4, 2, 8, 5, '#E8EEF4')
        c.fill(9, 3, 2, 3, '#3C6EA8')
        c.fill(4, 10, 8, 4, '#1E3A5A')
    elif kind == 'cut':
        c.thick_line(4, 1, 10.5, 10, 1.6, '#5A6470')
        c.thick_line(12, 1, 5.5, 10, 1.6, '#5A6470')
        c.ring(4.5, 12, 2.8, 1.4, '#C83040')
        c.ring(11.5, 12, 2.8, 1.4, '#C83040')
    elif kind == 'copy':
        page(c, 1, 1, 9, 11, '#F4F4F4')
        page(c, 6, 4, 9, 11)
        for yy in (8, 10, 12):
            c.fill(8, yy, 5, 1, '#9AA4AA')
    elif kind == 'paste':
        c.rrect(1, 2, 11, 13, 1.5, '#6A4A20')
        c.rrect(2, 3, 9, 11, 1, '#C89A58')
        c.rrect(4, 1, 5, 3, 1, '#5A6470')
        page(c, 7, 6, 8, 9)
    elif kind == 'delete':
        c.thick_line(3.5, 3.5, 12.5, 12.5, 2.6, '#C8202E')
        c.thick_line(3.5, 12.5, 12.5, 3.5, 2.6, '#C8202E')
    elif kind == 'trim':
        wave(c, '#1F8A80')
        c.fill(2, 2, 2, 12, OUTLINE)
        c.fill(2, 2, 4, 2, OUTLINE)
        c.fill(2, 12, 4, 2, OUTLINE)
        c.fill(12, 2, 2, 12, OUTLINE)
        c.fill(10, 2, 4, 2, OUTLINE)
        c.fill(10, 12, 4, 2, OUTLINE)
    elif kind == 'undo':
        curved_arrow(c, False, '#1F7A9A')
    elif kind == 'redo':
        curved_arrow(c, True, '#1F7A9A')
    elif kind == 'addtrack':
        c.rrect(0, 3, 12, 5, 1, '#1F6A64')
        c.rrect(1, 4, 10, 3, 0.5, '#5CC8BC')
        c.rrect(0, 9, 8, 5, 1, '#1F6A64')
        c.rrect(1, 10, 6, 3, 0.5, '#5CC8BC')
        c.circle(12, 11.5, 3.8, '#2E9E4A')
        c.fill(10, 11, 5, 1, '#FFFFFF')
        c.fill(12, 9, 1, 5, '#FFFFFF')
    elif kind in ('zoomin', 'zoomout'):
        c.ring(6.5, 6.5, 5.2, 1.6, OUTLINE)
        c.circle(6.5, 6.5, 3.7, hexc('#BFE4F4'))
        c.thick_line(10.2, 10.2, 14.6, 14.6, 2.6, OUTLINE)
        c.fill(4, 6, 6, 1, OUTLINE)
        if kind == 'zoomin':
            c.fill(6, 4, 1, 6, OUTLINE)
    elif kind == 'fit':
        c.fill(1, 2, 1, 12, OUTLINE)
        c.fill(14, 2, 1, 12, OUTLINE)
        c.polygon([(2.5, 8), (6, 4.5), (6, 11.5)], '#1F7A9A')
        c.polygon([(13.5, 8), (10, 4.5), (10, 11.5)], '#1F7A9A')
        c.fill(5, 7, 6, 2, '#1F7A9A')
    elif kind == 'controller':
        c.rrect(0, 2, 16, 12, 2, OUTLINE)
        c.rrect(1, 3, 14, 10, 1.5, '#4A4A4A')
        c.polygon([(5, 5), (11.5, 8), (5, 11)], GREEN)
    elif kind == 'mixer':
        for i, (x, y) in enumerate(((3, 9), (8, 4), (13, 7))):
            c.fill(x, 1, 1, 14, OUTLINE)
            c.rrect(x - 2, y, 5, 4, 1, '#1F7A9A')
            c.fill(x - 1, y + 1, 3, 2, '#7FD0E8')
    elif kind == 'effects':
        wave(c, '#8A4AD0')
        c.polygon([(12, 1), (13, 4), (16, 5), (13, 6), (12, 9), (11, 6), (8, 5), (11, 4)], '#F0B429')
    elif kind == 'markers':
        c.fill(3, 1, 2, 14, OUTLINE)
        c.polygon([(5, 1.5), (14, 4.5), (5, 8.5)], AMBER)
    return c


def wave(c, color):
    pts = [(2 + i * 12 / 20, 8 - 4.5 * math.sin(i / 20 * math.pi * 2) * (1 - i / 30)) for i in range(21)]
    for a, b in zip(pts, pts[1:]):
        c.thick_line(a[0], a[1], b[0], b[1], 1.5, color)


def disabled_icon(icon):
    """Grey, flattened and embossed: the look of a disabled tool-bar button."""
    out = Canvas(icon.w, icon.h)
    for y in range(icon.h):
        for x in range(icon.w):
            r, g, b, a = icon.get(x, y)
            if a > 60:
                out.put(x + 1, y + 1, hexc('#FFFFFF', int(a)))
    for y in range(icon.h):
        for x in range(icon.w):
            r, g, b, a = icon.get(x, y)
            if a > 60:
                lum = (0.3 * r + 0.59 * g + 0.11 * b) / 255
                grey = int(96 + lum * 64)
                out.put(x, y, (grey, grey, grey, int(a)))
    return out


def toolbar_strips():
    icons = [tool_icon(k) for k in TOOLBAR_ICONS]
    return hstrip(icons), hstrip([disabled_icon(i) for i in icons])


# ==== start-up ==========================================================================================
@image('SPLASH')
def splash():
    """The start-up window: product name over a multitrack waveform on the dark pane."""
    w, h = 420, 240
    c = Canvas(w, h)
    brushed(c, 0, 0, w, h, '#4A4A4A', '#2C2C2C', seed=11, amount=4)
    c.frame(0, 0, w, h, '#6A6A6A', EDGE)
    well(c, 20, 98, w - 40, 86)
    # Three tracks of sound, each a teal-shaded waveform on its lane.
    for lane, (colour, freq, amp) in enumerate(((TEAL, 0.09, 9), ('#5FB8AE', 0.05, 7), ('#8ACFC8', 0.13, 6))):
        mid = 113 + lane * 27
        for x in range(24, w - 24):
            env = math.sin(math.pi * (x - 24) / (w - 48))
            v = amp * env * (0.6 * math.sin(x * freq) + 0.4 * math.sin(x * freq * 2.7 + lane))
            top, bottom = int(round(mid - abs(v))), int(round(mid + abs(v)))
            c.vline(x, top, bottom - top + 1, colour)
    c.text(20, 22, 'KorvaneSound5', 26, '#F2F2F2', 'DejaVu-Sans-Bold')
    c.text(22, 60, 'Tarn', 16, TEAL, 'DejaVu-Sans-Bold')
    c.text(300, 66, 'Version 5.00 R4', 9, '#BDBDBD', 'DejaVu-Sans')
    c.text(20, h - 34, 'Starting...', 9, '#BDBDBD', 'DejaVu-Sans')
    led(c, w - 30, h - 28, 4, True, GREEN)
    return c


# ==== main ==========================================================================================
def main(names):
    os.makedirs(OUT, exist_ok=True)
    for name, fn in IMAGES.items():
        if names and name not in names:
            continue
        fn().save_png(os.path.join(OUT, name + '.png'))
    if not names or 'toolbar' in names:
        os.makedirs(TOOLBAR, exist_ok=True)
        enabled, disabled = toolbar_strips()
        enabled.save_bmp(os.path.join(TOOLBAR, 'ToolBarExE.bmp'))
        disabled.save_bmp(os.path.join(TOOLBAR, 'ToolBarExD.bmp'))


if __name__ == '__main__':
    main(sys.argv[1:])
