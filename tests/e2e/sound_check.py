#!/usr/bin/env python3
"""Measures the system sound of a recording against what was played (ffmpeg decodes).

  sound_check.py level MEDIA PEAK
      the peak of the sound in the middle second of MEDIA is within 3 dB of PEAK (of 32767)
  sound_check.py band MEDIA HZ PEAK [AT]
      the tone of HZ (one of several sounding together) in the middle second of MEDIA, or in
      the second around AT seconds (counted from the end when negative), has a peak within
      3 dB of PEAK; with PEAK 0, it is not there (under 1 % of full scale)
  sound_check.py steady MEDIA HZ MS [PAUSE_MS]
      the tone of HZ, picked out of what else sounds, has no gap of MS milliseconds or more
      from where it starts to where it ends (quiet of PAUSE_MS or more: pauses between pulses)
  sound_check.py silence MEDIA
      the sound is silent throughout and as long as the picture (within 0.1 s)
  sound_check.py resumes MEDIA
      a steady tone from where it starts to where it ends: every gap in it is shorter than 1 s
  sound_check.py sync MEDIA X Y [HZ]
      each time the picture at X,Y turns white and the tone starts (the tone of HZ picked out
      of what else sounds): the offset of every pulse (sound minus picture); the median within
      40 ms and every pulse within 60 ms
  sound_check.py drift MEDIA X Y HZ
      as sync, but only: the median offset of the last ten pulses within 40 ms of the first ten
Prints what it measured; exit code 1 when the check fails.
"""
import json
import math
import statistics
import struct
import subprocess
import sys

RATE = 48000


def probe(media):
    return json.loads(subprocess.check_output(["ffprobe", "-v", "error", "-of", "json", "-show_streams", media]))


def stream(media, kind):
    return next(s for s in probe(media)["streams"] if s["codec_type"] == kind)


def sound(media, filters=None):
    """(start time, samples of both sides mixed) of the first sound stream, through ffmpeg's
    audio filters when given."""
    start = float(stream(media, "audio").get("start_time", 0))
    raw = subprocess.check_output(["ffmpeg", "-v", "error", "-i", media, "-map", "0:a:0"] +
                                  (["-af", filters] if filters else []) +
                                  ["-f", "s16le", "-ac", "1", "-ar", str(RATE), "-"])
    return start, struct.unpack("<%dh" % (len(raw) // 2), raw)


def quiet_runs(samples, begin, end, shortest):
    """(start, length) of each run of near-silent samples of at least `shortest` samples."""
    runs, run = [], 0
    for i in range(begin, end):
        if abs(samples[i]) < 256:
            run += 1
            continue
        if run >= shortest:
            runs.append((i - run, run))
        run = 0
    if run >= shortest:
        runs.append((end - run, run))
    return runs


def level(media, peak):
    _, samples = sound(media)
    middle = len(samples) // 2
    got = max(abs(v) for v in samples[middle - RATE // 2:middle + RATE // 2])
    db = 20 * math.log10(max(got, 1) / float(peak))
    print("peak in the middle second: %d, played %s: %+.2f dB" % (got, peak, db))
    return abs(db) <= 3


def picked_out(media, hz):
    """The samples of the tone of HZ alone: three band-pass stages (each of gain 1 at HZ) leave
    tones an octave or more away 50 dB down."""
    return sound(media, ",".join(["bandpass=f=%s:width_type=q:w=4" % hz] * 3))[1]


def band(media, hz, peak, at=None):
    samples = picked_out(media, hz)
    middle = len(samples) // 2 if at is None else int(float(at) * RATE) % len(samples)
    got = max(abs(v) for v in samples[middle - RATE // 2:middle + RATE // 2])
    where = "at %.1f s of %.1f s" % (middle / float(RATE), len(samples) / float(RATE))
    if float(peak) == 0:
        print("%s Hz %s: peak %.0f, expected none" % (hz, where, got))
        return got < 328
    db = 20 * math.log10(max(got, 1) / float(peak))
    print("%s Hz %s: peak %.0f, alone %s: %+.2f dB" % (hz, where, got, peak, db))
    return abs(db) <= 3


def steady(media, hz, ms, pause_ms=None):
    samples = picked_out(media, hz)
    loud = [i for i, v in enumerate(samples) if abs(v) > 2000]
    if not loud:
        print("no %s Hz tone at all" % hz)
        return False
    gaps = quiet_runs(samples, loud[0], loud[-1], RATE * int(ms) // 1000)
    if pause_ms is not None:
        gaps = [(at, n) for at, n in gaps if n < RATE * int(pause_ms) // 1000]
    print("%s Hz from %.2f s to %.2f s, gaps of %s ms or more: %s" % (
        hz, loud[0] / float(RATE), loud[-1] / float(RATE), ms,
        ", ".join("%.3f s at %.2f s" % (n / float(RATE), at / float(RATE)) for at, n in gaps) or "none"))
    return not gaps


def silence(media):
    _, samples = sound(media)
    video = stream(media, "video")
    video_seconds = float(video["duration"])
    sound_seconds = len(samples) / float(RATE)
    loudest = max(abs(v) for v in samples) if samples else 0
    print("sound %.3f s, picture %.3f s, loudest sample %d" % (sound_seconds, video_seconds, loudest))
    return abs(sound_seconds - video_seconds) <= 0.1 and loudest < 64


def resumes(media):
    _, samples = sound(media)
    loud = [i for i, v in enumerate(samples) if abs(v) > 4000]
    if not loud:
        print("no tone at all")
        return False
    gaps = quiet_runs(samples, loud[0], loud[-1], RATE // 1000)  # gaps of 1 ms or more
    print("gaps in the tone: %s" % (", ".join("%.3f s at %.2f s" % (n / float(RATE), at / float(RATE))
                                              for at, n in gaps) or "none"))
    return all(n < RATE for _, n in gaps)


def picture_onsets(media, x, y):
    """Times of the frames in which the point turns white after at least 100 ms of black (a
    flash that blinks, where the played tone broke up, counts once)."""
    frames = json.loads(subprocess.check_output(
        ["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries", "frame=best_effort_timestamp_time",
         "-of", "json", media]))["frames"]
    times = [float(f["best_effort_timestamp_time"]) for f in frames]
    luma = subprocess.check_output(["ffmpeg", "-v", "error", "-i", media, "-map", "0:v:0", "-vsync", "0", "-vf",
                                    "crop=2:2:%d:%d,scale=1:1" % (x, y), "-f", "rawvideo", "-pix_fmt", "gray", "-"])
    onsets, white, black_since = [], True, None  # a recording that starts white has no onset there
    for t, v in zip(times, luma):
        if v > 128 and not white and black_since is not None and t - black_since >= 0.1:
            onsets.append(t)
        if v <= 128 and (white or black_since is None):
            black_since = t
        white = v > 128
    return onsets


def sound_onsets(media, hz=None):
    """Times at which the tone starts after at least 100 ms of silence."""
    start, samples = sound(media)
    if hz is not None:
        samples = picked_out(media, hz)
    onsets, quiet = [], 0
    for i, v in enumerate(samples):
        if abs(v) > 4000:
            if quiet >= RATE // 10:
                onsets.append(start + i / float(RATE))
            quiet = 0
        elif abs(v) < 256:
            quiet += 1
    return onsets


def paired_offsets(media, x, y, hz=None):
    """(picture onsets, sound minus picture in ms of each pulse paired with one)."""
    pictures, sounds = picture_onsets(media, int(x), int(y)), sound_onsets(media, hz)
    offsets = []
    for p in pictures:
        nearest = min(sounds, key=lambda s: abs(s - p), default=None)
        if nearest is not None and abs(nearest - p) < 0.5:
            offsets.append(1000 * (nearest - p))
    print("%d flashes, %d tone onsets, %d pulses paired" % (len(pictures), len(sounds), len(offsets)))
    return pictures, offsets


def drift(media, x, y, hz):
    _, found = paired_offsets(media, x, y, hz)
    if len(found) < 20:
        return False
    first, last = statistics.median(found[:10]), statistics.median(found[-10:])
    print("sound minus picture, ms: first ten pulses median %+.1f, last ten %+.1f: moved %+.1f" % (
        first, last, last - first))
    return abs(last - first) <= 40


def sync(media, x, y, hz=None):
    pictures, offsets = paired_offsets(media, x, y, hz)
    if not offsets:
        return False
    median = statistics.median(offsets)
    print("sound minus picture, ms: median %+.1f, from %+.1f to %+.1f; every pulse: %s" % (
        median, min(offsets), max(offsets), " ".join("%+.0f" % o for o in offsets)))
    return (len(offsets) >= 0.9 * len(pictures) and abs(median) <= 40 and all(abs(o) <= 60 for o in offsets))


def main():
    checks = {"level": (level, 1), "band": (band, 2), "steady": (steady, 2), "silence": (silence, 0),
              "resumes": (resumes, 0), "sync": (sync, 2), "drift": (drift, 3)}
    optional = 1 if len(sys.argv) > 1 and sys.argv[1] in ("band", "steady", "sync") else 0
    if len(sys.argv) < 3 or sys.argv[1] not in checks or not (
            3 + checks[sys.argv[1]][1] <= len(sys.argv) <= 3 + checks[sys.argv[1]][1] + optional):
        sys.exit(__doc__)
    check = checks[sys.argv[1]][0]
    sys.exit(0 if check(*sys.argv[2:]) else 1)


if __name__ == "__main__":
    main()
