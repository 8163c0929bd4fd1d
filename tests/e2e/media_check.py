#!/usr/bin/env python3
"""Reads back what a recording shows and sounds like, for the end-to-end tests (ffmpeg decodes).

  media_check.py pixels MEDIA SAVE.png X,Y,RRGGBB ...
      the frame in the middle of MEDIA (kept as SAVE.png), or the picture MEDIA, has about
      that colour at each point
  media_check.py matches MEDIA SAVE.png SCREENSHOT.png LEFT TOP
      the frame in the middle of MEDIA equals the screenshot's part of the same size at LEFT,TOP
  media_check.py tone MEDIA HZ
      the loudest frequency of the sound in the middle of MEDIA is HZ (within 5 Hz)
Prints what it measured; exit code 1 when the check fails.
"""
import cmath
import json
import math
import subprocess
import sys

# H.264 at the encoder's bitrates moves a flat colour by a few steps; a wrong picture moves
# it by far more.
COLOUR_TOLERANCE = 40
MATCH_TOLERANCE = 6.0  # mean difference per channel, of 255


def decode_frame(media, middle=False, save=None):
    """(width, height, rgb bytes) of one picture: an image file, or the middle frame of a video."""
    probe = json.loads(subprocess.check_output(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                                                "stream=width,height:format=duration", "-of", "json", media]))
    width, height = probe["streams"][0]["width"], probe["streams"][0]["height"]
    # Seeking after the input: decoded from the start, exact in a transport stream too. A
    # picture (a screenshot) has no duration and one frame.
    duration = probe["format"].get("duration")
    seek = ["-ss", str(float(duration) / 2)] if middle and duration else []
    head = ["ffmpeg", "-v", "error", "-i", media] + seek
    rgb = subprocess.check_output(head + ["-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"])
    if not rgb and seek:
        # A recording of a few frames a second (a huge screen on a slow machine) can leave
        # nothing after the seek: the middle frame by count instead.
        count = int(subprocess.check_output(["ffprobe", "-v", "error", "-select_streams", "v:0", "-count_packets",
                                             "-show_entries", "stream=nb_read_packets", "-of", "csv=p=0",
                                             media]).split()[0])
        head = ["ffmpeg", "-v", "error", "-i", media, "-vf", "select=eq(n\\,%d)" % (count // 2), "-vsync", "0"]
        rgb = subprocess.check_output(head + ["-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"])
    if save:
        subprocess.check_call(head + ["-y", "-frames:v", "1", save])
    if len(rgb) != width * height * 3:
        sys.exit("no frame in %s" % media)
    return width, height, rgb


def pixels(media, save, points):
    width, _, rgb = decode_frame(media, True, save)
    ok = True
    for point in points:
        x, y, hex_colour = point.split(",")
        x, y = int(x), int(y)
        want = tuple(int(hex_colour[i:i + 2], 16) for i in (0, 2, 4))
        got = tuple(rgb[(y * width + x) * 3:(y * width + x) * 3 + 3])
        good = all(abs(g - w) <= COLOUR_TOLERANCE for g, w in zip(got, want))
        ok &= good
        print("pixel (%d,%d): %02X%02X%02X, expected %s%s" % (x, y, *got, hex_colour, "" if good else "  WRONG"))
    return ok


def matches(media, save, screenshot, left, top):
    width, height, frame = decode_frame(media, True, save)
    screen_width, _, screen = decode_frame(screenshot)
    left, top = int(left), int(top)
    total = 0
    for y in range(height):
        row = ((top + y) * screen_width + left) * 3
        part = screen[row:row + width * 3]
        total += sum(abs(a - b) for a, b in zip(frame[y * width * 3:(y + 1) * width * 3], part))
    difference = total / (width * height * 3)
    print("frame %dx%d against the screenshot at (%d,%d): mean difference %.2f per channel" %
          (width, height, left, top, difference))
    return difference <= MATCH_TOLERANCE


def fft(values):
    """Radix-2 FFT of a list whose length is a power of two."""
    n = len(values)
    if n == 1:
        return values
    even, odd = fft(values[0::2]), fft(values[1::2])
    twiddled = [cmath.exp(-2j * math.pi * k / n) * odd[k] for k in range(n // 2)]
    return [even[k] + twiddled[k] for k in range(n // 2)] + [even[k] - twiddled[k] for k in range(n // 2)]


def tone(media, hz):
    rate, count = 48000, 16384
    raw = subprocess.check_output(["ffmpeg", "-v", "error", "-i", media, "-vn", "-ac", "1", "-ar", str(rate),
                                   "-f", "s16le", "-"])
    samples = [int.from_bytes(raw[i:i + 2], "little", signed=True) for i in range(0, len(raw) - 1, 2)]
    if len(samples) < count:
        sys.exit("only %d samples of sound in %s" % (len(samples), media))
    middle = len(samples) // 2 - count // 2
    window = [s * (0.5 - 0.5 * math.cos(2 * math.pi * i / count))  # Hann: keeps the peak narrow
              for i, s in enumerate(samples[middle:middle + count])]
    power = [abs(v) for v in fft(window)[:count // 2]]
    peak = max(range(1, count // 2 - 1), key=lambda k: power[k])
    # The peak's true place between bins, from a parabola through it and its neighbours.
    a, b, c = (math.log(power[k] + 1e-9) for k in (peak - 1, peak, peak + 1))
    measured = (peak + 0.5 * (a - c) / (a - 2 * b + c)) * rate / count
    level = max(abs(s) for s in samples[middle:middle + count])
    print("sound: strongest frequency %.1f Hz (expected %s Hz), peak level %d of 32767" % (measured, hz, level))
    return abs(measured - float(hz)) <= 5 and level > 1000


def main():
    checks = {"pixels": lambda a: pixels(a[0], a[1], a[2:]), "matches": lambda a: matches(*a),
              "tone": lambda a: tone(*a)}
    if len(sys.argv) < 3 or sys.argv[1] not in checks:
        sys.exit(__doc__)
    sys.exit(0 if checks[sys.argv[1]](sys.argv[2:]) else 1)


if __name__ == "__main__":
    main()
