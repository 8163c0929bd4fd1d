#!/usr/bin/env python3
"""Reads a paused-and-resumed recording back against the presses of F7 (ffmpeg decodes).

  pause_check.py MEDIA PRESSES X Y [FLASH_X FLASH_Y]

MEDIA shows clock_window's 4 x 4 squares (the time in 10-ms ticks) with its top left corner at
X,Y of the picture; PRESSES is clock_window's log of F7 presses and clicks: the first click
starts the recording and the last one stops it; every other press or click pauses (odd ones)
or resumes (even ones). Checks, printing what it measured:
  - the file is one run of stretches, in order: the clock never goes back;
  - every pause of 0.4 s or more is a jump of the clock, and nothing else is; the jump is the
    paused time within 0.2 s;
  - the file's duration is the time the stretches show less the short pauses within them,
    within 0.2 s;
  - no picture repeats for longer than 0.2 s (the clock changes every 10 ms);
  - the first picture after each resume was taken within 200 ms of the press (the clock's
    picture may be up to 20 ms behind it);
  - with FLASH_X FLASH_Y, where tone_flash's window flashes with its tone: after the last
    resume, sound minus picture has its median within 60 ms (printed for every stretch).
Exit code 1 when a check fails.
"""
import json
import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import sound_check  # noqa: E402

SIDE, SQUARE, TICK = 48, 12, 0.01
FRAME_TICKS = 4  # 25 frames per second
LONG_PAUSE = 0.4  # seconds: shorter pauses may fall between two pictures


def clock_frames(media, x, y):
    """(media time, tick) of every picture."""
    frames = json.loads(subprocess.check_output(
        ["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries", "frame=best_effort_timestamp_time",
         "-of", "json", media]))["frames"]
    times = [float(f["best_effort_timestamp_time"]) for f in frames]
    raw = subprocess.check_output(["ffmpeg", "-v", "error", "-i", media, "-map", "0:v:0", "-vsync", "0", "-vf",
                                   "crop=%d:%d:%d:%d" % (SIDE, SIDE, x, y), "-f", "rawvideo", "-pix_fmt", "gray", "-"])
    result = []
    for n, t in enumerate(times):
        picture = raw[n * SIDE * SIDE:(n + 1) * SIDE * SIDE]
        tick = 0
        for bit in range(16):
            cx, cy = bit % 4 * SQUARE + 4, bit // 4 * SQUARE + 4
            level = sum(picture[(cy + j) * SIDE + cx + i] for i in range(4) for j in range(4)) / 16
            tick |= (level > 128) << bit
        result.append((t, tick))
    return result


def unwrap(ticks, origin):
    """16-bit ticks as seconds from the first of `origin`, across wraps."""
    return [((tick - origin + 32768) % 65536 - 32768) * TICK for tick in ticks]


def main():
    if len(sys.argv) not in (5, 7):
        sys.exit(__doc__)
    media, presses_log, x, y = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    frames = clock_frames(media, x, y)
    origin = frames[0][1]
    media_times = [t for t, _ in frames]
    shown = unwrap([tick for _, tick in frames], origin)
    log = [line.split() for line in open(presses_log) if line.strip()]
    clicks = [i for i, (what, _) in enumerate(log) if what == "click"]
    toggles = [tick for i, (_, tick) in enumerate(log) if clicks[0] < i < clicks[-1]]
    presses = unwrap([int(tick) % 65536 for tick in toggles], origin)
    pauses = [(presses[i], presses[i + 1]) for i in range(0, len(presses) - 1, 2)]
    long_pauses = [(p, r) for p, r in pauses if r - p >= LONG_PAUSE]
    short_paused = sum(r - p for p, r in pauses if r - p < LONG_PAUSE)
    ok = True

    def check(good, text):
        nonlocal ok
        print(("ok   " if good else "FAIL ") + text)
        ok = ok and good

    steps = [b - a for a, b in zip(shown, shown[1:])]
    check(min(steps) >= 0, "the clock never goes back (smallest step %+.2f s)" % min(steps))
    jumps = [i + 1 for i, step in enumerate(steps) if step >= LONG_PAUSE - 0.15]
    check(len(jumps) == len(long_pauses), "%d jumps of the clock for %d pauses of %.1f s or more (of %d presses)" % (
        len(jumps), len(long_pauses), LONG_PAUSE, len(presses)))

    starts = [0] + jumps
    ends = jumps + [len(frames)]
    recorded = sum(shown[e - 1] - shown[s] + FRAME_TICKS * TICK for s, e in zip(starts, ends)) - short_paused
    duration = float(subprocess.check_output(
        ["ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", media]))
    check(abs(duration - recorded) <= 0.2, "duration %.2f s, the stretches show %.2f s (less %.2f s of short pauses)" % (
        duration, recorded, short_paused))

    longest, run = 1, 1
    for step in steps:
        run = run + 1 if step == 0 else 1
        longest = max(longest, run)
    check(longest * FRAME_TICKS * TICK <= 0.2, "longest run of one picture: %d frames" % longest)

    latencies = []
    for (pause, resume), jump in zip(long_pauses, jumps):
        latency = shown[jump] - resume
        latencies.append(latency)
        check(-0.02 <= latency <= 0.2 and abs(shown[jump] - shown[jump - 1] - (resume - pause)) <= 0.2,
              "pause of %.2f s: the clock jumps %.2f s; first picture %.0f ms after the resume, last one %+.0f ms "
              "from the pause" % (resume - pause, shown[jump] - shown[jump - 1], 1000 * latency,
                                   1000 * (shown[jump - 1] - pause)))
    if latencies:
        print("resume latency, ms: median %.0f, most %.0f" % (1000 * statistics.median(latencies),
                                                           1000 * max(latencies)))

    if len(sys.argv) == 7:
        pictures = sound_check.picture_onsets(media, int(sys.argv[5]), int(sys.argv[6]))
        sounds = sound_check.sound_onsets(media)
        for n, first in enumerate(starts):
            # Onsets well inside the stretch: a pulse cut by a pause has no partner.
            begin = media_times[first] + 0.3
            end = media_times[ends[n] - 1] - 0.3
            offsets = []
            for p in (p for p in pictures if begin < p < end):
                nearest = min(sounds, key=lambda s: abs(s - p), default=None)
                if nearest is not None and abs(nearest - p) < 0.5:
                    offsets.append(1000 * (nearest - p))
            median = statistics.median(offsets) if offsets else float("nan")
            text = "stretch %d: %d pulses, sound minus picture, ms: median %+.1f, from %+.1f to %+.1f" % (
                n + 1, len(offsets), median, min(offsets, default=0), max(offsets, default=0))
            if n == len(starts) - 1:
                # Over about ten pulses the sound's own wander on a busy machine reaches 45 ms,
                # with or without a pause; 60 ms still catches a resume that sets the sound
                # apart from the picture.
                check(len(offsets) >= 3 and abs(median) <= 60, text + " (after the last resume)")
            else:
                print("     " + text)
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
