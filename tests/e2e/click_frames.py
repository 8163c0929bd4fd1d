#!/usr/bin/env python3
"""Reads the click rings back from an area recording, for the click test (ffmpeg decodes).

  click_frames.py shown MEDIA EVENTS AREA_LEFT AREA_TOP SAVE.png
      each click of EVENTS ("KIND X Y WALLCLOCK" lines, screen coordinates) shows as its ring
      in the frames of its instant and is gone 400 ms later; a frame of the held press is kept
      as SAVE.png
  click_frames.py hidden MEDIA EVENTS AREA_LEFT AREA_TOP
      no frame shows a ring at any of the clicks
  click_frames.py picture MEDIA X Y SAVE.png
      the frame whose left ring around (X,Y) is strongest, 160x120 pixels around it enlarged
      twice (for the manual)
  click_frames.py size MEDIA X Y DIAMETER
      in the frame whose left ring around (X,Y) is strongest, the ring is DIAMETER pixels
      across (within 2), measured left of and above the hot spot, away from the arrow
The recording's clock is tied to the wall clock by the first click's first ring. Prints what
it measured; exit code 1 when a check fails.
"""
import json
import subprocess
import sys

BACKGROUND = 0x30  # the dark window under the clicks
FRAME = 0.04       # 25 frames per second
SLACK = 0.12       # xdotool's start-up and the frame that first shows a click
GONE_AFTER = 0.4


def decode(media):
    """(width, [(seconds, rgb bytes)]) of every frame, in order."""
    probe = json.loads(subprocess.check_output(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                                                "stream=width,height", "-of", "json", media]))
    width, height = probe["streams"][0]["width"], probe["streams"][0]["height"]
    times = [float(t.strip(",")) for t in subprocess.check_output(
        ["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries", "frame=best_effort_timestamp_time",
         "-of", "csv=p=0", media], text=True).split()]
    raw = subprocess.check_output(["ffmpeg", "-v", "error", "-i", media, "-vsync", "0", "-f", "rawvideo",
                                   "-pix_fmt", "rgb24", "-"])
    size = width * height * 3
    pictures = [raw[i:i + size] for i in range(0, len(raw) - size + 1, size)]
    if len(pictures) != len(times):
        sys.exit("%d timestamps for %d pictures in %s" % (len(times), len(pictures), media))
    return width, height, list(zip(times, pictures))


class Frames:
    def __init__(self, media):
        self.width, self.height, self.frames = decode(media)

    def colour(self, picture, x, y):
        """The mean colour of the 3x3 pixels around (x, y)."""
        total = [0, 0, 0]
        for dy in (-1, 0, 1):
            for dx in (-1, 0, 1):
                i = ((y + dy) * self.width + x + dx) * 3
                for c in range(3):
                    total[c] += picture[i + c]
        return tuple(t / 9 for t in total)

    def left_strength(self, picture, x, y):
        """How strongly the yellow ring shows at (x, y): red over blue, 0 on the background."""
        r, _, b = self.colour(picture, x, y)
        return r - b

    def between(self, start, end):
        return [(t, p) for t, p in self.frames if start <= t <= end]


def ring_at(colour):
    """"left", "right", "none" (the dark background) or "other" for a sampled colour."""
    r, g, b = colour
    if r - b > 50 and g - b > 40:
        return "left"
    if b - r > 50 and b - g > 30:
        return "right"
    if all(abs(c - BACKGROUND) < 20 for c in colour):
        return "none"
    return "other"


def sample_point(x, y, left, top):
    """In the disc, up and left of the hot spot: the pointer's arrow points down and right."""
    return x - left - 6, y - top - 6


def read_events(path):
    events = []
    for line in open(path):
        kind, x, y, wall = line.split()
        events.append((kind, int(x), int(y), float(wall)))
    return events


def shown(frames, events, left, top, save):
    checks = []

    def check(ok, what):
        checks.append(ok)
        print(("ok    " if ok else "WRONG ") + what)

    def rings(x, y, start, end):
        px, py = sample_point(x, y, left, top)
        return [(t, ring_at(frames.colour(p, px, py))) for t, p in frames.between(start, end)]

    kind, x, y, wall = events[0]
    first = [t for t, seen in rings(x, y, 0, 1e9) if seen == "left"]
    if not first:
        print("WRONG no frame shows the first left click")
        return False
    offset = first[0] - wall  # recording time minus wall clock
    print("first ring at %.3f s of the recording" % first[0])
    for index, (kind, x, y, wall) in enumerate(events):
        at = wall + offset
        colour = "right" if kind == "right" else "left"
        if kind == "release":
            continue
        if kind == "outside":
            # Just left of the area: its ring would cover the first columns, above the arrow.
            edge = [(t, ring_at(frames.colour(p, 2, y - top - 8))) for t, p in frames.between(at - 0.1, at + 0.4)]
            check(edge and all(seen == "none" for _, seen in edge),
                  "no ring inside the area for a click %d px left of it: %s" % (left - x, [s for _, s in edge]))
            continue
        before = rings(x, y, at - 0.4, at - 0.08)
        check(before and all(seen == "none" for _, seen in before), "%s at (%d,%d): nothing before it" % (kind, x, y))
        end = events[index + 1][3] + offset if kind == "hold" else at
        during = rings(x, y, at, end + SLACK)
        check(any(seen == colour for _, seen in during),
              "%s at (%d,%d): %s ring at its instant: %s" % (kind, x, y, colour, [s for _, s in during]))
        if kind == "hold":
            held = rings(x, y, at + SLACK, end)
            check(held and all(seen == colour for _, seen in held),
                  "hold: the ring in each of the %d frames while held" % len(held))
            middle = frames.between(at + SLACK, end)
            if middle:
                write_png(frames, middle[len(middle) // 2][1], save)
                print("kept a frame with the held ring: %s" % save)
        if kind == "double":
            px, py = sample_point(x, y, left, top)
            strength = [frames.left_strength(p, px, py) for _, p in frames.between(at - 0.2, at + 0.5)]
            # Each press starts the ring anew: two steep rises, from nothing and from its fading.
            peak = max(strength)
            rises = sum(1 for a, b in zip(strength, strength[1:]) if b - a > 0.3 * peak)
            check(rises == 2, "double click: two pulses: %s" % [round(s) for s in strength])
        after = rings(x, y, end + GONE_AFTER + 0.04, end + GONE_AFTER + 0.3)
        check(after and all(seen == "none" for _, seen in after),
              "%s at (%d,%d): gone 400 ms later: %s" % (kind, x, y, [s for _, s in after]))
    return all(checks)


def hidden(frames, events, left, top):
    seen = {}
    for kind, x, y, _ in events:
        px, py = sample_point(x, y, left, top)
        for _, picture in frames.frames:
            found = ring_at(frames.colour(picture, px, py))
            seen[found] = seen.get(found, 0) + 1
    print("samples at the clicks over %d frames: %s" % (len(frames.frames), seen))
    return set(seen) == {"none"}


def write_png(frames, picture, path, convert_options=()):
    header = b"P6 %d %d 255\n" % (frames.width, frames.height)
    subprocess.run(["convert", "ppm:-", *convert_options, path], input=header + picture, check=True)


def strongest(frames, x, y):
    """The frame with the strongest left ring around (x, y), or None when none has one."""
    px, py = sample_point(x, y, 0, 0)
    best = max((p for _, p in frames.frames), key=lambda p: frames.left_strength(p, px, py))
    if ring_at(frames.colour(best, px, py)) != "left":
        print("no frame shows a left ring at (%d,%d)" % (x, y))
        return None
    return best


def size(frames, x, y, diameter):
    best = strongest(frames, x, y)
    if best is None:
        return False
    background = frames.colour(best, x - diameter, y - diameter)

    def reach(dx, dy):
        """How far from the hot spot the colour differs from the background."""
        n = 1
        while max(abs(a - b) for a, b in zip(frames.colour(best, x + n * dx, y + n * dy), background)) > 40:
            n += 1
        return n

    # The 3x3 sample reaches one pixel past the ring.
    left, up = reach(-1, 0) - 1, reach(0, -1) - 1
    print("ring of %d px expected: %d px left of the hot spot, %d px above it" % (diameter, left, up))
    return all(abs(2 * r - diameter) <= 2 for r in (left, up))


def picture(frames, x, y, save):
    best = strongest(frames, x, y)
    if best is None:
        return False
    write_png(frames, best, save, ["-crop", "160x120+%d+%d" % (x - 80, y - 60), "+repage", "-scale", "200%"])
    print("kept the frame with the strongest ring: %s" % save)
    return True


def main():
    if sys.argv[1] == "picture":
        sys.exit(0 if picture(Frames(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]) else 1)
    if sys.argv[1] == "size":
        sys.exit(0 if size(Frames(sys.argv[2]), *(int(a) for a in sys.argv[3:6])) else 1)
    mode, media, events_path, left, top = sys.argv[1:6]
    frames, events = Frames(media), read_events(events_path)
    print("%d frames of %dx%d" % (len(frames.frames), frames.width, frames.height))
    if mode == "shown":
        ok = shown(frames, events, int(left), int(top), sys.argv[6])
    else:
        ok = hidden(frames, events, int(left), int(top))
    sys.exit(0 if ok else 1)


main()
