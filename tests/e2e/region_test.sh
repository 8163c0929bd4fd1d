#!/usr/bin/env bash
# Area recording as a user does it, with the real mouse, the genuine encoder and our desktop
# capture device:
#   1. the area button dims the screen; a 301x201 drag shows a clear hole and its size; the
#      release places the frame (green band, red corners) on 300x200 and writes its inside;
#   2. a recording is exactly that inside, while the frame is locked with grey corners;
#   3. the free frame moves by its top edge and resizes by its bottom edge to an even height;
#   4. the area button again, a right-click cancel, a click, a 128-pixel drag and drags left
#      of or above the anchor all leave the whole screen, and the next recording is full
#      screen; a 50x300 drag grows to 178x300; a drag off the screen's edge stays on it; a
#      frame moved past the left edge writes a negative position.
# The virtual display runs a compositing manager, as a Linux desktop does, so that the
# translucent shading shows; without one X draws every window opaque.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display
command -v xcompmgr >/dev/null || fail "no xcompmgr (tools/setup.sh installs it)"
xcompmgr >/dev/null 2>&1 &
e2e_pids+=($!)
e2e_install_encoder
e2e_install_devices

out_win='C:\quorlin-region'
out=$(e2e_fresh_folder "$out_win")
e2e_settings output_folder="$out_win" sound_source=1 save_format=0 frame_rate=15 video_width=0 video_height=0 \
  live_enabled=0 hide_after_start=0
area_key='HKCU\Software\screen-capture-recorder'

# What the recordings show: a blue band down the left of the screen and a green window on it.
blue=2040C0 green=20C040 band=00FF50 red=FF0000 grey=808080
e2e_start "$e2e_bin/colour_window.exe" 0 0 320 800 $blue
e2e_wait_for 'title="colour_window" rect=0,0,320,800'
e2e_start "$e2e_bin/colour_window.exe" 200 150 200 150 $green
e2e_wait_for 'title="colour_window" rect=200,150,400,300'

expect_area() {
  local got
  got=$(e2e_area_values)
  [ "$got" = "$1" ] || fail "capture area values: expected '$1', found '$got' ($2)"
  echo "capture area ($2): $got"
}

# drag X1 Y1 X2 Y2: the left button down at one point, ten steps, up at the other.
drag() {
  local i
  xdotool mousemove "$1" "$2" mousedown 1
  for i in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove $(($1 + ($3 - $1) * i / 10)) $(($2 + ($4 - $2) * i / 10))
    sleep 0.05
  done
  xdotool mouseup 1
}

overlay_gone() { ! e2e_listing_has 'title="area"'; }
wait_overlay_gone() { e2e_until 20 overlay_gone || fail "the selection overlay is still shown ($1)"; }
frame_hidden() { ! e2e_listing_has 'title="rec_area"'; }

# open_overlay: the area button with no area in force shows the overlay.
open_overlay() {
  e2e_click 'id=1021 class="Button"'
  e2e_wait_for 'title="area" rect=0,0,1280,800' 20
  e2e_wait_status '^就绪 - 区域模式$' 10
  xdotool mousemove 700 500
}

# rejected WHAT: the overlay went, no frame, no values, the status says full screen.
rejected() {
  wait_overlay_gone "$1"
  e2e_wait_status '^就绪 - 全屏模式$' 10
  frame_hidden || fail "a frame is shown after $1"
  expect_area none "$1"
}

# record SECONDS: one MP4 recording; its path goes to $recorded. A screenshot is taken in
# the middle (bar_region_recording.png), with the mouse out of the way.
record() {
  local base before
  before=$(ls "$out")
  e2e_click 'id=1001 class="Button"'
  e2e_wait_text '正在录制 00:' 60 >/dev/null
  xdotool mousemove 1000 700
  sleep $(($1 / 2))
  e2e_screenshot bar_region_recording
  sleep $(($1 - $1 / 2))
  e2e_click 'id=1001 class="Button"'
  e2e_wait_status '^已停止 ' 60
  base=$(comm -13 <(echo "$before") <(ls "$out") | grep '_rec\.mp4$' | head -n 1)
  [ -n "$base" ] || fail "no new recording in $out: $(ls "$out")"
  recorded=$out/$base
}

video_size() {
  ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0:s=x "$1"
}

media_check() { python3 "$e2e_repo/tests/e2e/media_check.py" "$@"; }
scratch=$e2e_shots/region_pixels_checked.png  # media_check keeps the picture it read

# Every start clears what an earlier run left.
for value in start_x=1 start_y=2 capture_width=300 capture_height=200; do
  e2e_system_tool reg.exe add "$area_key" /v "${value%=*}" /t REG_DWORD /d "${value#*=}" /f >/dev/null 2>&1
done
e2e_start "$e2e_bin/Quorlin.exe"
program=$e2e_last_pid
e2e_wait_bar_ready
e2e_wait_status '^就绪 - 全屏模式$'
expect_area none "after the start"

# 1. A 301x201 drag from (152,122).
open_overlay
xdotool mousemove 152 122
sleep 0.3
e2e_screenshot region_overlay_hint
xdotool mousedown 1
for i in 1 2 3 4 5 6 7 8 9 10; do
  xdotool mousemove $((152 + 301 * i / 10)) $((122 + 201 * i / 10))
  sleep 0.05
done
sleep 0.5
e2e_screenshot region_overlay_drag
# Dimmed outside, clear inside the hole, the label's green text above it.
media_check pixels "$e2e_shots/region_overlay_drag.png" "$scratch" \
  100,600,112266 800,500,444444 300,225,$green 180,200,$blue 400,200,$grey ||
  fail "the overlay does not dim the screen with a clear hole over the selection"
python3 - "$e2e_shots/region_overlay_drag.png" <<'PY' || fail "no size label above the selection"
import subprocess, sys
# The label's text, bright green on black, in the band above the selection.
rgb = subprocess.check_output(["convert", sys.argv[1], "-crop", "200x20+152+100", "-depth", "8", "rgb:-"])
greens = sum(1 for i in range(0, len(rgb), 3) if rgb[i + 1] > 100 and rgb[i] < 60 and rgb[i + 2] < 120)
print("label: %d green pixels above the selection" % greens)
sys.exit(0 if greens > 100 else 1)
PY
xdotool mouseup 1
e2e_wait_for 'title="rec_area" rect=152,122,452,322' 20
wait_overlay_gone "the accepted drag"
expect_area "156 126 292 192" "the accepted 301x201 drag"
e2e_wait_status '^就绪 - 区域模式$' 10
sleep 0.5
e2e_screenshot region_frame_idle
media_check pixels "$e2e_shots/region_frame_idle.png" "$scratch" \
  153,200,$band 300,123,$band 153,123,$red 451,321,$red 300,225,$green 180,200,$blue 400,200,$grey ||
  fail "the frame is not a green band with red corners around the desktop"

# 2. A recording of the area: the frame is locked and its corners grey meanwhile.
e2e_click 'id=1001 class="Button"'
e2e_wait_text '正在录制 00:' 60 >/dev/null
sleep 0.5
e2e_screenshot region_frame_locked
media_check pixels "$e2e_shots/region_frame_locked.png" "$scratch" 153,200,$band 153,123,$grey 451,321,$grey ||
  fail "the frame's corners are not grey during the recording"
drag 300 123 400 200
sleep 1
e2e_listing_has 'title="rec_area" rect=152,122,452,322' || fail "the locked frame moved"
expect_area "156 126 292 192" "a drag on the locked frame"
xdotool mousemove 1000 700
sleep 2
e2e_screenshot bar_region_recording
sleep 2
e2e_click 'id=1001 class="Button"'
e2e_wait_status '^已停止 ' 60
recorded=$(ls "$out"/*_rec.mp4 | head -n 1)
size=$(video_size "$recorded")
echo "area recording: $recorded, $size"
[ "$size" = 292x192 ] || fail "the area recording is $size, not 292x192"
media_check matches "$recorded" "$e2e_shots/recorded_region.png" "$e2e_shots/bar_region_recording.png" 156 126 ||
  fail "the area recording does not show the inside of the frame"
# The green window's corner at (200,150) is (44,24) in the recording.
media_check pixels "$recorded" "$e2e_shots/recorded_region_pixels.png" 144,99,$green 40,99,$blue 144,20,$blue 280,100,$grey ||
  fail "the area recording is not placed on the frame's inside"
e2e_screenshot region_frame_after
media_check pixels "$e2e_shots/region_frame_after.png" "$scratch" 153,123,$red ||
  fail "the frame's corners are not red again after the recording"

# 3. The free frame moves by its top edge, and the values follow; the bottom edge resizes
#    it, and an odd height comes out even.
drag 300 123 400 173
e2e_wait_for 'title="rec_area" rect=252,172,552,372' 20
expect_area "256 176 292 192" "the frame moved by its top edge"
drag 400 370 400 421
e2e_wait_for 'title="rec_area" rect=252,172,552,422' 20
expect_area "256 176 292 242" "the frame's bottom edge dragged 51 pixels down"
# Past the left edge of the screen: the position is kept negative.
drag 300 173 8 173
e2e_wait_for 'title="rec_area" rect=-40,172,260,422' 20
expect_area "-36 176 292 242" "the frame moved past the left edge"

# 4. The area button with an area in force goes back to the whole screen.
e2e_click 'id=1021 class="Button"'
e2e_wait_status '^就绪 - 全屏模式$' 10
e2e_until 10 frame_hidden || fail "the frame is still shown in full-screen mode"
expect_area none "the area button with an area in force"

open_overlay
xdotool mousemove 500 400 mousedown 1 mousemove 600 500 mousemove 700 600
sleep 0.3
xdotool click 3
xdotool mouseup 1
rejected "a right-click during the drag"

open_overlay
xdotool mousemove 500 400 click 1
rejected "a click without movement"

open_overlay
drag 500 300 628 600
rejected "a drag 128 pixels wide"

open_overlay
drag 600 400 500 600
rejected "a drag ending left of its start"

open_overlay
drag 600 400 900 300
rejected "a drag ending above its start"

record 4
size=$(video_size "$recorded")
echo "recording after the cancel: $recorded, $size"
[ "$size" = 1280x800 ] || fail "the recording after the cancel is $size, not the whole screen"

open_overlay
drag 500 300 550 600
e2e_wait_for 'title="rec_area" rect=500,300,678,600' 20
expect_area "504 304 170 292" "a 50x300 drag"

# A drag past the screen's corner ends on its last column and row.
e2e_click 'id=1021 class="Button"'
e2e_wait_status '^就绪 - 全屏模式$' 10
open_overlay
drag 1000 500 1400 900
e2e_wait_for 'title="rec_area" rect=1000,500,1278,798' 20
expect_area "1004 504 270 290" "a drag past the screen's corner"

# Back to the whole screen, which the next start would also give.
e2e_click 'id=1021 class="Button"'
e2e_wait_status '^就绪 - 全屏模式$' 10
expect_area none "back to the whole screen"
kill -0 "$program" || fail "the program ended"
echo "PASS: area selection, the frame and area recordings"
