#!/usr/bin/env bash
# Benchmark (not a test): our desktop device "screen-capture-recorder" against FFmpeg's own
# gdigrab, in one run, under Wine on a private 3840x2160 virtual display, on a still desktop and
# on a moving one (a window over the whole capture area that repaints every 20 ms). For each
# size in SIZES (default 1920x1080 2560x1440 3840x2160) and scene in SCENES (default "still
# moving") at 25 fps, each source records SECONDS seconds through the genuine encoder with the
# program's capture command line (video only, into a .ts file): our device in the format the
# encoder picks by itself, our device held to RGB32 (the encoder then converts the colours
# itself, which shows that conversion's share of the encoder's CPU) and gdigrab. The table
# shows per source: frames in the file against 25 x SECONDS, the encoder's last
# progress figures (fps, speed, dup/drop), the encoder's CPU share of one core while it
# records, for our device its own figures (frames delivered and dropped, capture time per
# frame, and its parts: the screen read, the pointer, the colour conversion), the file's picture
# size, and how often the encoder reported its real-time input buffer full.
#     tools/bench/desktop_capture_bench.sh [SECONDS]
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$repo/tools/lib.sh"
seconds=${1:-60}
fps=25
sizes=${SIZES:-1920x1080 2560x1440 3840x2160}
scenes=${SCENES:-still moving}

if can_run_32bit_wine; then
  kind=win32 loader=wine
  export WINEARCH=win32 WINEPREFIX=$repo/build/wineprefix-bench
else
  kind=win64 loader=/usr/lib/wine/wine64
  export WINEARCH=win64 WINEPREFIX=$repo/build/wineprefix-bench64
fi
export WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
# Our device appends its figures here each time it stops (nothing else reads the variable).
export QUORLIN_DEVICE_STATS='C:\bench\stats.txt'
bench=$WINEPREFIX/drive_c/bench

xvfb_pid=""
mover_pid=""
cleanup() {
  if [ -n "$mover_pid" ]; then kill "$mover_pid" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

# A private display large enough for every size.
start_virtual_display 3840x2160

# The prefix's Wine session belongs to this display: end one left over from an earlier run.
wineserver -k 2>/dev/null || true
[ -d "$WINEPREFIX/drive_c/windows" ] || "$loader" wineboot -i >/dev/null 2>&1
mkdir -p "$WINEPREFIX/drive_c/Program Files/Quorlin" "$bench"
cp "$repo/build/$kind/bin/QuorlinDevices.dll" "$WINEPREFIX/drive_c/Program Files/Quorlin/"
"$loader" regsvr32 /s 'C:\Program Files\Quorlin\QuorlinDevices.dll'
cp "$repo/build/encoder/$kind/ffmpeg.exe" "$WINEPREFIX/drive_c/windows/quorlind.exe"
cp "$repo/build/$kind/bin/colour_window.exe" "$bench/"

clock_ticks=$(getconf CLK_TCK)

# The Wine processes of this prefix running the encoder.
encoder_pids() {
  local pid
  for pid in $(pgrep -x quorlind.exe); do
    if grep -qsxz "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ"; then echo "$pid"; fi
  done
}

# cpu_ticks PID...: user+system clock ticks of the processes; fails when one is gone.
cpu_ticks() {
  local pid stat total=0
  for pid in "$@"; do
    stat=$(sed 's/^.*) //' "/proc/$pid/stat" 2>/dev/null) || return 1
    # utime and stime: fields 14 and 15 of the stat line, counted after the command's name.
    total=$((total + $(awk '{print $12 + $13}' <<<"$stat")))
  done
  echo "$total"
}

# record NAME INPUT...: one recording into C:\bench\NAME.ts; the encoder stops by itself
# after the given seconds (-t), so the device is stopped as on a normal stop. Appends NAME,
# the encoder's CPU share and the file's WIDTHxHEIGHTxFRAMES to results.txt.
record() {
  local name=$1 log=$bench/$1.log pids ticks t0 k0 t1 k1 file
  shift
  rm -f "$bench/$name.ts" "$bench/stats.txt"
  "$loader" 'C:\windows\quorlind.exe' -y -rtbufsize 100M "$@" -pix_fmt yuv420p -vcodec libx264 -r $fps \
    -threads 0 -preset veryfast -t "$seconds" -f mpegts "C:\\bench\\$name.ts" </dev/null >"$log" 2>&1 &
  local wine_pid=$!
  # CPU is counted from the first progress report (start-up excluded) to the last reading
  # before the encoder ends.
  until grep -q 'frame=' "$log" || ! kill -0 $wine_pid 2>/dev/null; do sleep 0.1; done
  pids=$(encoder_pids)
  [ -n "$pids" ] || echo "$name: no encoder process found, its CPU share reads 0" >&2
  t0=$(date +%s.%N)
  k0=$(cpu_ticks $pids) || k0=0
  t1=$t0 k1=$k0
  while kill -0 $wine_pid 2>/dev/null; do
    if ticks=$(cpu_ticks $pids); then t1=$(date +%s.%N) k1=$ticks; fi
    sleep 0.2
  done
  wait $wine_pid || echo "$name: the encoder ended with exit code $?" >&2
  # The file's picture size and frames (its program lists the stream a second time).
  file=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=width,height,nb_read_frames \
    -of csv=p=0:s=x "$bench/$name.ts" 2>/dev/null | sed -n 1p) || file=0x0x0
  [ -f "$bench/stats.txt" ] && cp "$bench/stats.txt" "$bench/$name.stats"
  echo "$name $(python3 -c "print('%.1f' % (100.0 * ($k1 - $k0) / $clock_ticks / max($t1 - $t0, 1e-9)))") $file" \
    >>"$bench/results.txt"
}

rm -f "$bench"/*.log "$bench"/*.stats "$bench/results.txt"
key='HKCU\Software\screen-capture-recorder'
for scene in $scenes; do
  for size in $sizes; do
    width=${size%x*} height=${size#*x}
    for value in start_x=0 start_y=0 capture_width=$width capture_height=$height; do
      "$loader" reg add "$key" /v "${value%=*}" /t REG_DWORD /d "${value#*=}" /f >/dev/null 2>&1
    done
    if [ "$scene" = moving ]; then
      "$loader" 'C:\bench\colour_window.exe' 0 0 "$width" "$height" 2060a0 moving >/dev/null 2>&1 &
      mover_pid=$!
      sleep 2
    fi
    record "ours_${size}_$scene" -framerate $fps -f dshow -i video=screen-capture-recorder
    record "oursrgb_${size}_$scene" -framerate $fps -pixel_format bgr0 -f dshow -i video=screen-capture-recorder
    record "gdigrab_${size}_$scene" -f gdigrab -framerate $fps -video_size "$size" -offset_x 0 -offset_y 0 -i desktop
    if [ -n "$mover_pid" ]; then
      kill "$mover_pid" 2>/dev/null || true
      wait "$mover_pid" 2>/dev/null || true
      mover_pid=""
    fi
  done
done

python3 - "$bench" "$seconds" "$fps" <<'PY'
import os, re, sys
bench, seconds, fps = sys.argv[1], float(sys.argv[2]), int(sys.argv[3])
expected = round(seconds * fps)

def fields(text):
    """key=value pairs of a line such as ffmpeg's progress report or our device's figures."""
    return dict(re.findall(r"(\w+)=\s*(\S+)", text))

rows = {}
for line in open(os.path.join(bench, "results.txt")):
    name, cpu, file = line.split()
    picture, frames = file.rsplit("x", 1)
    log = open(os.path.join(bench, name + ".log"), errors="replace").read()
    reports = [r for r in re.split(r"[\r\n]", log) if "frame=" in r]
    progress = fields(reports[-1]) if reports else {}
    stats_path = os.path.join(bench, name + ".stats")
    stats = fields(open(stats_path).read().splitlines()[-1]) if os.path.exists(stats_path) else {}
    source, size, scene = name.split("_")
    rows.setdefault((size, scene), []).append((source, cpu, frames, picture, progress, stats,
                                               log.count("real-time buffer")))

names = {"ours": "our device", "oursrgb": "ours as RGB32", "gdigrab": "gdigrab"}
header = ("source", "frames/expected", "fps", "speed", "dup/drop", "CPU %", "delivered/late/dropped",
          "capture ms mean/max", "read/pointer/convert ms", "format", "picture", "rtbuf full")
for (size, scene), entries in rows.items():
    print("\n%s, %s desktop, at %d fps, %g s" % (size, scene, fps, seconds))
    table = [header]
    for source, cpu, frames, picture, p, s, rtbuf in entries:
        table.append((names[source], "%s/%d" % (frames, expected),
                      p.get("fps", "?"), p.get("speed", "?"), "%s/%s" % (p.get("dup", "0"), p.get("drop", "0")),
                      cpu,
                      "%s/%s/%s" % (s["delivered"], s.get("late", "?"), s["dropped"]) if s else "-",
                      "%s/%s" % (s["fill_ms_mean"], s["fill_ms_max"]) if s else "-",
                      "%s/%s/%s" % (s.get("read_ms", "?"), s.get("pointer_ms", "?"), s.get("convert_ms", "?"))
                      if s else "-",
                      s.get("format", "-"), picture, str(rtbuf)))
    widths = [max(len(row[i]) for row in table) for i in range(len(header))]
    for row in table:
        print("  ".join(cell.ljust(w) for cell, w in zip(row, widths)).rstrip())
print("\nload average at the end (other programs share the cores): " + open("/proc/loadavg").read().strip())
PY
