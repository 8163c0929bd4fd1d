#!/usr/bin/env bash
# Recording a 4K screen (3840x2160) with the program's capture command line, the genuine
# encoder and our desktop device:
#   1. the whole screen: the encoder takes the device's planar 4:2:0 frames by itself and the
#      recording is 3840x2160, its middle frame as the screenshot shows the screen (a window
#      in the bottom-right corner included);
#   2. an area running off the screen's bottom-right corner: recorded at its own size, the
#      screen where it is on the screen and black beyond;
#   3. an area too large for a frame (8000x4000): the whole area, scaled down in its
#      proportions to 6688x3344, the corner window at its scaled place.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display 3840x2160
e2e_install_encoder
e2e_install_devices

out_win='C:\quorlin-large'
out=$(e2e_fresh_folder "$out_win")
stats_win="$out_win\\stats.txt"
blue=2040C0 green=20C040
media_check() { python3 "$e2e_repo/tests/e2e/media_check.py" "$@"; }

# Known windows: a blue band down the left edge and a green square in the bottom-right corner.
e2e_start "$e2e_bin/colour_window.exe" 0 0 400 2160 $blue
e2e_wait_for 'title="colour_window" rect=0,0,400,2160'
e2e_start "$e2e_bin/colour_window.exe" 3440 1760 400 400 $green
e2e_wait_for 'title="colour_window" rect=3440,1760,3840,2160'

area_key='HKCU\Software\screen-capture-recorder'
# set_area [X Y WIDTH HEIGHT]: the capture-area values, or none (the whole screen).
set_area() {
  e2e_system_tool reg.exe delete "$area_key" /f >/dev/null 2>&1 || true
  [ $# -eq 4 ] || return 0
  local name value values=("start_x=$1" "start_y=$2" "capture_width=$3" "capture_height=$4")
  for value in "${values[@]}"; do
    name=${value%=*}
    e2e_system_tool reg.exe add "$area_key" /v "$name" /t REG_DWORD /d "$((${value#*=} & 0xFFFFFFFF))" /f \
      >/dev/null 2>&1 || fail "cannot set $name"
  done
}

# record NAME SECONDS: the program's capture command line, video only, into NAME.ts; the
# device's figures go to stats.txt. Prints the encoder's output.
record() {
  rm -f "$out/stats.txt"
  # By its path in the prefix: wine-run picks 32- or 64-bit Wine by the file itself.
  QUORLIN_DEVICE_STATS=$stats_win "$e2e_repo/tools/wine-run.sh" "$WINEPREFIX/drive_c/windows/quorlind.exe" -y \
    -rtbufsize 100M -framerate 25 -f dshow -i video="screen-capture-recorder" -pix_fmt yuv420p -vcodec libx264 \
    -r 25 -threads 0 -preset veryfast -t "$2" -f mpegts "$out_win\\$1.ts" </dev/null 2>&1 | tr -d '\r' >"$out/$1.log" ||
    fail "$1: the encoder failed: $(tail -n 5 "$out/$1.log")"
  [ -s "$out/$1.ts" ] || fail "$1: nothing was recorded"
}

# figure NAME: one of the device's figures of the last recording.
figure() { tr ' ' '\n' <"$out/stats.txt" | sed -n "s/^$1=//p" | tr -d '\r' | head -n 1; }

# The recording's picture size (a transport stream's program lists its stream a second time).
picture_size() {
  ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0:s=x "$out/$1.ts" | head -n 1
}

# 1. The whole screen.
set_area
record screen 4
grep -q 'Video: rawvideo (I420' "$out/screen.log" || fail "the encoder did not take the planar frames: \
$(grep -m1 'Video:' "$out/screen.log")"
[ "$(figure format)" = I420 ] || fail "the device delivered $(figure format), not I420"
[ "$(picture_size screen)" = 3840x2160 ] || fail "the recording is $(picture_size screen), not 3840x2160"
echo "whole screen: $(grep -m1 'Video: rawvideo' "$out/screen.log" | sed 's/^ *//'); device: $(cat "$out/stats.txt")"
e2e_screenshot large_screen
media_check matches "$out/screen.ts" "$e2e_shots/large_screen_recorded.png" "$e2e_shots/large_screen.png" 0 0 ||
  fail "the recording is not the screen"

# 2. An area past the screen's bottom-right corner: 400x400 of it on the screen (the green
# window), the rest black.
set_area 3440 1760 800 600
record past_corner 2
[ "$(picture_size past_corner)" = 800x600 ] || fail "the area past the corner is $(picture_size past_corner)"
media_check pixels "$out/past_corner.ts" "$e2e_shots/large_screen_past_corner.png" \
  200,200,$green 600,200,000000 200,500,000000 700,500,000000 || fail "the area past the corner is wrong"

# 3. Too large for a frame: scaled down whole (factor 0.836), never cut.
set_area 0 0 8000 4000
record too_large 2
[ "$(picture_size too_large)" = 6688x3344 ] || fail "the too-large area is $(picture_size too_large)"
media_check pixels "$out/too_large.ts" "$e2e_shots/large_screen_too_large.png" \
  100,1000,$blue 3040,1640,$green 5000,1000,000000 1000,3000,000000 || fail "the too-large area is not scaled whole"
set_area
echo PASSED
