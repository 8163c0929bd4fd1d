#!/usr/bin/env python3
"""Draws the control bar's skin: the 611 x 69 bar background and the three-frame button
strips (normal, pressed, hover), as 24-bit bitmap files.

    make_skin.py SKIN_FOLDER BAR_BITMAP

Button corners outside the rounded tile are the key colour RGB(31, 251, 222), which the
buttons cut out of their window regions; the bar's twelve corner pixels are magenta,
which the bar's window region leaves out.
"""
import math
import os
import struct
import sys

KEY = (31, 251, 222)
MAGENTA = (255, 0, 255)
BAR_W, BAR_H = 611, 69
BUTTON = 36  # frame size of the bar's buttons
CLOSE = 24   # frame size of the close button
SAMPLES = 4  # supersampling per axis for soft edges

# Palette: a dark graphite bar, light glyphs, one red for recording.
INK = (230, 234, 240)
INK_DIM = (200, 206, 216)
RED = (240, 69, 74)
RED_HOT = (255, 92, 96)
GREEN = (61, 220, 132)
AMBER = (232, 182, 76)
BLUE = (76, 154, 255)
BAR_UNDER_BUTTONS = (36, 40, 48)  # what soft tile edges blend towards


def mix(a, b, t):
    return tuple(round(x * (1 - t) + y * t) for x, y in zip(a, b))


def write_bmp(path, width, height, pixel_rows):
    """pixel_rows: top to bottom, each a list of (r, g, b). Writes a 24-bit bottom-up file."""
    pad = (4 - width * 3 % 4) % 4
    body = bytearray()
    for row in reversed(pixel_rows):
        for r, g, b in row:
            body += bytes((b, g, r))
        body += b"\0" * pad
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + body)


# ---- shapes: each is a test (x, y) -> bool on sub-pixel positions -------------------------

def rrect(x0, y0, x1, y1, r):
    def inside(x, y):
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def segment(ax, ay, bx, by, width):
    """A stroke with round caps from (ax, ay) to (bx, by)."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1e-9

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2
    return inside


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def offset(shape, dx, dy):
    return lambda x, y: shape(x - dx, y - dy)


def render(width, height, layers, outside_colour=None):
    """layers: [(shape, colour or colour(x, y))], later ones on top. Pixels whose samples
    mostly lie outside the first layer get `outside_colour` (the key colour) unblended."""
    rows = []
    n = SAMPLES * SAMPLES
    for y in range(height):
        row = []
        for x in range(width):
            total = [0, 0, 0]
            covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    px = x + (sx + 0.5) / SAMPLES
                    py = y + (sy + 0.5) / SAMPLES
                    colour = None
                    for shape, paint in layers:
                        if shape(px, py):
                            colour = paint(px, py) if callable(paint) else paint
                    if colour is None:
                        colour = BAR_UNDER_BUTTONS
                    else:
                        covered += 1
                    total = [t + c for t, c in zip(total, colour)]
            if outside_colour is not None and covered * 2 < n:
                row.append(outside_colour)
            else:
                row.append(tuple(round(t / n) for t in total))
        rows.append(row)
    return rows


# ---- buttons -----------------------------------------------------------------------------

LOOKS = {
    # frame: tile top, tile bottom, border, glyph shift
    "normal": ((52, 58, 70), (40, 45, 55), (22, 25, 31), 0),
    "pressed": ((26, 29, 35), (32, 36, 43), (10, 12, 15), 1),
    "hover": ((70, 78, 94), (54, 61, 74), (104, 114, 132), 0),
}


def tile_layers(size, look, radius, tile_override=None):
    top, bottom, border, _ = LOOKS[look]
    if tile_override:
        top, bottom = tile_override

    def face(x, y):
        return mix(top, bottom, y / size)
    return [(rrect(0, 0, size, size, radius), border),
            (rrect(1, 1, size - 1, size - 1, radius - 1), face)], face


def glyph_record(look, face):
    colour = RED_HOT if look == "hover" else RED
    return [(ring(18, 18, 11, 9.6), mix(colour, face(18, 18), 0.55)), (circle(18, 18, 7.5), colour)]


def glyph_stop(look, face):
    colour = RED_HOT if look == "hover" else RED
    return [(rrect(11, 11, 25, 25, 3), colour)]


def glyph_area(look, face):
    ink = INK if look != "pressed" else INK_DIM
    dashes = []
    for a in (10, 16, 22):  # dashed marquee edges
        dashes += [segment(a, 9, a + 3, 9, 1.6), segment(a, 27, a + 3, 27, 1.6),
                   segment(9, a, 9, a + 3, 1.6), segment(27, a, 27, a + 3, 1.6)]
    handles = [rrect(cx - 2, cy - 2, cx + 2, cy + 2, 0.8) for cx in (9, 27) for cy in (9, 27)]
    return [(union(*dashes), ink), (union(*handles), RED if look == "hover" else ink),
            (circle(18, 18, 2.2), ink)]


def glyph_pause(look, face):
    ink = AMBER if look == "hover" else INK
    return [(union(rrect(12, 10, 16.5, 26, 1.2), rrect(19.5, 10, 24, 26, 1.2)), ink)]


def glyph_resume(look, face):
    # A play mark: pressing it lets the recording go on.
    ink = GREEN if look != "hover" else (110, 240, 170)
    return [(polygon([(13, 9.5), (27, 18), (13, 26.5)]), ink)]


def glyph_camera(look, face, on):
    ink = GREEN if on else (INK if look != "pressed" else INK_DIM)
    body = rrect(7, 12, 23, 25, 3)
    lens = polygon([(24, 17.5), (30, 13.5), (30, 23.5), (24, 19.5)])
    layers = [(union(body, lens), ink), (circle(11.5, 16, 1.6), face)]
    if on:
        layers.append((circle(28, 9, 2.6), RED))  # the live dot
    return layers


def glyph_folder(look, face):
    ink = AMBER if look != "pressed" else mix(AMBER, face(18, 18), 0.2)
    back = union(rrect(8, 11, 17, 16, 1.5), rrect(8, 13, 28, 26, 2))
    front = polygon([(10, 17), (29.5, 17), (27.5, 26), (8, 26)])
    return [(back, mix(ink, (0, 0, 0), 0.25)), (front, ink)]


def glyph_gear(look, face):
    ink = INK if look != "pressed" else INK_DIM
    teeth = [segment(18 + 6 * math.cos(a), 18 + 6 * math.sin(a), 18 + 10.5 * math.cos(a),
                     18 + 10.5 * math.sin(a), 4.2) for a in (i * math.pi / 4 for i in range(8))]
    return [(union(circle(18, 18, 8), *teeth), ink), (circle(18, 18, 3.4), face)]


def glyph_info(look, face):
    ink = BLUE if look != "hover" else (120, 180, 255)
    return [(circle(18, 18, 10), ink), (circle(18, 12.8, 1.8), (255, 255, 255)),
            (segment(18, 17, 18, 24, 3.2), (255, 255, 255))]


def glyph_close(look, face):
    ink = (255, 255, 255) if look == "hover" else INK
    return [(union(segment(8, 8, 16, 16, 2.2), segment(16, 8, 8, 16, 2.2)), ink)]


def strip(size, radius, glyph, tile_override_for=None):
    frames = []
    for look in ("normal", "pressed", "hover"):
        override = tile_override_for.get(look) if tile_override_for else None
        layers, face = tile_layers(size, look, radius, override)
        shift = LOOKS[look][3]
        layers += [(offset(shape, shift, shift), paint) for shape, paint in glyph(look, face)]
        frames.append(render(size, size, layers, KEY))
    return [sum((f[y] for f in frames), []) for y in range(size)]


BUTTONS = {
    "start": lambda look, face: glyph_record(look, face),
    "stop": lambda look, face: glyph_stop(look, face),
    "area": lambda look, face: glyph_area(look, face),
    "pause": lambda look, face: glyph_pause(look, face),
    "resume": lambda look, face: glyph_resume(look, face),
    "cam": lambda look, face: glyph_camera(look, face, False),
    "camed": lambda look, face: glyph_camera(look, face, True),
    "files": lambda look, face: glyph_folder(look, face),
    "setup": lambda look, face: glyph_gear(look, face),
    "info": lambda look, face: glyph_info(look, face),
}


# ---- the bar -----------------------------------------------------------------------------

def bar_corner_is_cut(x, y):
    """The twelve magenta pixels: two per corner on the top and bottom rows, one beside."""
    edge_x = min(x, BAR_W - 1 - x)
    edge_y = min(y, BAR_H - 1 - y)
    return (edge_y == 0 and edge_x <= 1) or (edge_y == 1 and edge_x == 0)


def bar_background():
    top, bottom = (46, 51, 61), (26, 29, 36)
    well = rrect(286.5, 22.5, 580.5, 57.5, 7)
    well_inner = rrect(287.5, 23.5, 579.5, 56.5, 6)
    rows = []
    for y in range(BAR_H):
        row = []
        base = mix(top, bottom, y / (BAR_H - 1))
        for x in range(BAR_W):
            if bar_corner_is_cut(x, y):
                row.append(MAGENTA)
                continue
            edge_x = min(x, BAR_W - 1 - x)
            edge_y = min(y, BAR_H - 1 - y)
            if edge_x == 0 or edge_y == 0 or (edge_x == 1 and edge_y == 1):
                row.append((12, 14, 18))  # outline, following the rounded corners
                continue
            if y == 1 or (y == 2 and edge_x == 1):
                row.append(mix(base, (120, 128, 144), 0.45))  # top light edge
                continue
            colour = base
            if x in (262, 263) and 14 <= y <= 54:  # a groove after the buttons
                colour = (16, 18, 23) if x == 262 else mix(base, (96, 104, 118), 0.5)
            # The recessed display behind the lamp and status text, softly edged.
            cover_outer = cover_inner = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    px, py = x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES
                    cover_outer += well(px, py)
                    cover_inner += well_inner(px, py)
            n = SAMPLES * SAMPLES
            if cover_outer:
                rim = (8, 9, 12)
                colour = mix(colour, rim, cover_outer / n)
                depth = (y - 23) / 34
                inner = mix((11, 13, 17), (17, 20, 26), max(0.0, min(1.0, depth)))
                colour = mix(colour, inner, cover_inner / n)
                if y == 57 and cover_outer == n and cover_inner < n:
                    colour = (58, 64, 76)  # light lower lip of the well
            row.append(colour)
        rows.append(row)
    return rows


def main(skin_folder, bar_path):
    os.makedirs(skin_folder, exist_ok=True)
    os.makedirs(os.path.dirname(os.path.abspath(bar_path)), exist_ok=True)
    for name, glyph in BUTTONS.items():
        write_bmp(os.path.join(skin_folder, name + ".bmp"), 3 * BUTTON, BUTTON, strip(BUTTON, 8, glyph))
    close_tiles = {"hover": ((232, 72, 77), (200, 52, 58))}
    write_bmp(os.path.join(skin_folder, "close.bmp"), 3 * CLOSE, CLOSE, strip(CLOSE, 6, glyph_close, close_tiles))
    write_bmp(bar_path, BAR_W, BAR_H, bar_background())


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: make_skin.py SKIN_FOLDER BAR_BITMAP")
    main(sys.argv[1], sys.argv[2])
