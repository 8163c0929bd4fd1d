#!/usr/bin/env python3
"""Checks the gallery screenshot: the bar's corner pixels are cut and its skin shows, every
button frame shows its strip's frame with the key-coloured corners cut, the lamps show
their exact shades, and the label gradients their band colours.

    check_gallery.py SCREENSHOT.png LAYOUT.txt SKIN_FOLDER SKIN_BAR.bmp HOVER.png PRESSED.png

The last two are taken with the real mouse resting on, then pressing, the bar's area button.
"""
import struct
import subprocess
import sys

GALLERY_BACKGROUND = (222, 226, 232)
PANEL = (30, 34, 42)
KEY = (31, 251, 222)
failures = []


def check(ok, message):
    if not ok:
        failures.append(message)


def load_screenshot(path):
    ppm = subprocess.run(["convert", path, "ppm:-"], check=True, capture_output=True).stdout
    parts = ppm.split(maxsplit=4)
    width, height = int(parts[1]), int(parts[2])
    data = parts[4]
    return lambda x, y: tuple(data[(y * width + x) * 3:(y * width + x) * 3 + 3])


def load_bmp(path):
    with open(path, "rb") as f:
        raw = f.read()
    offset, = struct.unpack_from("<I", raw, 10)
    width, height = struct.unpack_from("<ii", raw, 18)
    stride = (width * 3 + 3) // 4 * 4

    def pixel(x, y):
        at = offset + (height - 1 - y) * stride + x * 3
        return raw[at + 2], raw[at + 1], raw[at]
    return width, height, pixel


def frame_differences(screen, x0, y0, strip_path, frame, beneath):
    """Pixels of the button at (x0, y0) that differ from `frame` of its strip; key-coloured
    pixels must show `beneath(x, y)` instead (the corner is cut)."""
    sw, sh, pixel = load_bmp(strip_path)
    w = sw // 3
    wrong = 0
    for y in range(sh):
        for x in range(w):
            expected = pixel(frame * w + x, y)
            if expected == KEY:
                expected = beneath(x, y)
            wrong += screen(x0 + x, y0 + y) != expected
    return wrong


def main(shot_path, layout_path, skin_folder, bar_path, hover_path, pressed_path):
    screen = load_screenshot(shot_path)
    layout = {}
    with open(layout_path) as f:
        for line in f:
            *name, x, y, w, h = line.split()
            layout[" ".join(name)] = (int(x), int(y), int(w), int(h))

    # The bar: twelve corner pixels show what lies beneath, everything else is skin
    # except where the controls sit.
    bx, by, bw, bh = layout["bar"]
    check((bw, bh) == (611, 69), f"bar is {bw}x{bh}")
    _, _, skin = load_bmp(bar_path)
    corners = {(0, 0), (1, 0), (609, 0), (610, 0), (0, 68), (1, 68), (609, 68), (610, 68),
               (0, 1), (610, 1), (0, 67), (610, 67)}
    for x, y in corners:
        check(screen(bx + x, by + y) == GALLERY_BACKGROUND, f"bar corner ({x},{y}) not cut: {screen(bx + x, by + y)}")
    for x, y in [(2, 0), (0, 2), (608, 0), (610, 66), (2, 68), (270, 60), (300, 64), (5, 60), (600, 60)]:
        check(screen(bx + x, by + y) == skin(x, y), f"bar pixel ({x},{y}) {screen(bx + x, by + y)} != skin {skin(x, y)}")

    # Buttons: the whole frame, key corners cut to the gallery's background.
    looks = {"normal": 0, "pressed": 1, "hover": 2}
    for name, (x0, y0, w, h) in layout.items():
        if not name.startswith("button "):
            continue
        _, strip, look = name.split()
        sw, sh, _ = load_bmp(f"{skin_folder}/{strip}.bmp")
        check((w, h) == (sw // 3, sh), f"{name}: size {w}x{h}")
        wrong = frame_differences(screen, x0, y0, f"{skin_folder}/{strip}.bmp", looks[look],
                                  lambda x, y: GALLERY_BACKGROUND)
        check(wrong == 0, f"{name}: {wrong} pixels differ from its frame")

    # The bar's area button under the real mouse; its cut corners show the bar's skin.
    x0, y0, w, h = layout["bar-button area"]
    on_skin = lambda x, y: skin(x0 - bx + x, y0 - by + y)
    for path, frame, look in [(shot_path, 0, "normal"), (hover_path, 2, "hover"), (pressed_path, 1, "pressed")]:
        wrong = frame_differences(load_screenshot(path), x0, y0, f"{skin_folder}/area.bmp", frame, on_skin)
        check(wrong == 0, f"bar area button {look} under the mouse: {wrong} pixels differ")

    # Lamps: the fill shade at the centre, below the glint.
    shades = {"red bright": (250, 0, 0), "red dark": (150, 0, 0), "green bright": (0, 250, 0),
              "green dark": (0, 150, 0)}
    for shade, colour in shades.items():
        x0, y0, w, h = layout["led " + shade]
        got = screen(x0 + w // 2 + 2, y0 + h // 2 + 2)
        check(got == colour, f"led {shade}: {got}")

    # Gradients: black to red over 250 pixels: bands of 2, the last (from 198) RGB(252, 0, 0).
    x0, y0, w, h = layout["label gradient-red"]
    for x, colour in [(0, (0, 0, 0)), (2, (2, 0, 0)), (100, (127, 0, 0)), (198, (252, 0, 0)), (249, (252, 0, 0))]:
        got = screen(x0 + x, y0 + 1)
        check(got == colour, f"gradient at {x}: {got}, expected {colour}")
    check(screen(x0 + 249, y0 + h - 1) == (252, 0, 0), "gradient band does not reach the bottom row")
    x0, y0, w, h = layout["label gradient-teal"]
    check(screen(x0, y0 + 1) == (20, 40, 90), f"teal gradient starts {screen(x0, y0 + 1)}")
    # Transparent label: the panel shows through where there is no text, and text is green.
    x0, y0, w, h = layout["label transparent"]
    check(screen(x0 + w - 2, y0 + 1) == PANEL, f"transparent label covers the panel: {screen(x0 + w - 2, y0 + 1)}")
    check(any(screen(x0 + x, y0 + y) == (0, 255, 0) for x in range(w) for y in range(h)), "no green text")
    # Rotated text: drawn in its colour somewhere away from the horizontal middle line.
    x0, y0, w, h = layout["label rotated"]
    text_rows = {y for x in range(w) for y in range(h) if screen(x0 + x, y0 + y) == (255, 200, 80)}
    check(text_rows and min(text_rows) < h // 2 - 15, f"rotated text rows: {sorted(text_rows)[:3]}")

    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
