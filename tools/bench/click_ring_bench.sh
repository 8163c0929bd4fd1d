#!/usr/bin/env bash
# Benchmark (not a test): what the click ring costs our desktop device, in one run, under Wine
# on a private 1920x1080 virtual display. Three kinds of recording of the whole screen at
# 25 fps through the genuine encoder, SECONDS seconds each, ROUNDS times in turn: clicks not
# shown (show_clicks 0), shown with no button down (the buttons read every frame), and shown
# with the left button held throughout (the ring drawn into every frame). The table shows the
# device's own figures per recording (frames delivered and dropped, capture time per frame,
# mean and max; the part of it spent on clicks, mean and max, and the frames with a ring) and
# the mean capture time of each kind against that without the ring.
#     tools/bench/click_ring_bench.sh [SECONDS] [ROUNDS]
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$repo/tools/lib.sh"
seconds=${1:-20}
rounds=${2:-2}
fps=25

if can_run_32bit_wine; then
  kind=win32 loader=wine
  export WINEARCH=win32 WINEPREFIX=$repo/build/wineprefix-bench
else
  kind=win64 loader=/usr/lib/wine/wine64
  export WINEARCH=win64 WINEPREFIX=$repo/build/wineprefix-bench64
fi
export WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
# Our device appends its figures here each time it stops (nothing else reads the variable).
export QUORLIN_DEVICE_STATS='C:\bench\click_stats.txt'
bench=$WINEPREFIX/drive_c/bench

xvfb_pid=""
cleanup() {
  xdotool mouseup 1 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

start_virtual_display 1920x1080
wineserver -k 2>/dev/null || true
[ -d "$WINEPREFIX/drive_c/windows" ] || "$loader" wineboot -i >/dev/null 2>&1
mkdir -p "$WINEPREFIX/drive_c/Program Files/Quorlin" "$bench"
cp "$repo/build/$kind/bin/QuorlinDevices.dll" "$WINEPREFIX/drive_c/Program Files/Quorlin/"
"$loader" regsvr32 /s 'C:\Program Files\Quorlin\QuorlinDevices.dll'
cp "$repo/build/encoder/$kind/ffmpeg.exe" "$WINEPREFIX/drive_c/windows/quorlind.exe"
key='HKCU\Software\screen-capture-recorder'
for value in start_x start_y capture_width capture_height; do
  "$loader" reg delete "$key" /v $value /f >/dev/null 2>&1 || true
done
# The button is held on a window of ours: Windows programs never see clicks on the bare X root.
"$loader" "$repo/build/$kind/bin/colour_window.exe" 0 0 1920 1080 303030 >/dev/null 2>&1 &
sleep 3
xdotool mousemove 960 540

rm -f "$bench/click_stats.txt" "$bench/click_results.txt"
# record NAME SHOW HOLD: one recording with show_clicks=SHOW, the left button held when HOLD is 1.
record() {
  "$loader" reg add "$key" /v show_clicks /t REG_DWORD /d "$2" /f >/dev/null 2>&1
  [ "$3" = 1 ] && xdotool mousedown 1
  "$loader" 'C:\windows\quorlind.exe' -y -rtbufsize 100M -framerate $fps -f dshow -i video=screen-capture-recorder \
    -pix_fmt yuv420p -vcodec libx264 -r $fps -threads 0 -preset veryfast -t "$seconds" -f mpegts \
    "C:\\bench\\click.ts" </dev/null >"$bench/click.log" 2>&1 || echo "$1: the encoder ended with exit code $?" >&2
  [ "$3" = 1 ] && xdotool mouseup 1
  echo "$1 $(tail -n 1 "$bench/click_stats.txt" | tr -d '\r')" >>"$bench/click_results.txt"
}
for round in $(seq "$rounds"); do
  record "not-shown" 0 0
  record "shown,no-click" 1 0
  record "shown,held" 1 1
done
"$loader" reg delete "$key" /v show_clicks /f >/dev/null 2>&1 || true

python3 - "$bench/click_results.txt" "$seconds" <<'PY'
import re, sys
rows = []
for line in open(sys.argv[1]):
    name, figures = line.split(" ", 1)
    f = dict(re.findall(r"(\w+)=(\S+)", figures))
    rows.append((name, f))
print("1920x1080 at 25 fps, %s s per recording, in the order run" % sys.argv[2])
row = "%-16s %-18s %-20s %-26s %s"
print(row % ("clicks", "delivered/dropped", "capture ms mean/max", "of which clicks mean/max", "ring frames"))
for name, f in rows:
    print(row % (name, "%s/%s" % (f["delivered"], f["dropped"]), "%s/%s" % (f["fill_ms_mean"], f["fill_ms_max"]),
                 "%s/%s" % (f["click_ms_mean"], f["click_ms_max"]) if "click_ms_mean" in f else "-",
                 f.get("click_frames", "-")))
means = {}
for name, f in rows:
    means.setdefault(name, []).append(float(f["fill_ms_mean"]))
base = sum(means["not-shown"]) / len(means["not-shown"])
for name, values in means.items():
    mean = sum(values) / len(values)
    print("%-16s mean capture %.3f ms, %.3f of the time without the ring" % (name, mean, mean / base))
print("load average at the end (other programs share the cores): " + open("/proc/loadavg").read().strip())
PY
