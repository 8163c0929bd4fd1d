#!/usr/bin/env bash
# The camera window from the bar's camera button, with the test camera: its first place at the
# right screen edge, the moving picture, dragging, maximising, its place kept in vw1.cfg (also
# a top of 10, a 0x0A byte, and a place half off the screen; a place on no monitor gives the
# first place again), a recording that shows it, and a camera that is not installed.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display
e2e_install_encoder
e2e_install_devices

out_win='C:\quorlin-camera'
out=$(e2e_unix_path "$out_win")
rm -rf "$out"
mkdir -p "$out"
data=$(e2e_unix_path 'C:\users')/$(id -un)/AppData/Roaming/quorlin
rm -f "$data/vw1.cfg"
e2e_settings output_folder="$out_win" sound_source=1 save_format=0 live_enabled=0 hide_after_start=0 \
  video_width=0 video_height=0 camera_name="Quorlin Test Camera" camera_width=0 camera_height=0

# pixel PNG X Y: the colour there as RRGGBB.
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }
# The camera window's rectangle "l,t,r,b" (the bar's own dialog is titled quorlwnd).
camera_rect() { e2e_windows | sed -n 's/^window .* class="#32770" title="" rect=\([-0-9,]*\).*/\1/p' | head -n 1; }
camera_at() { [ "$(camera_rect)" = "$1" ]; }
camera_gone() { [ -z "$(camera_rect)" ]; }
camera_covers_screen() {
  local l t r b
  IFS=, read -r l t r b <<<"$(camera_rect)"
  [ -n "$b" ] && [ "$l" -le 0 ] && [ "$t" -le 0 ] && [ "$r" -ge 1280 ] && [ "$b" -ge 800 ]
}
# The camera button's picture, for comparing the on and off looks.
button_shot() {
  xdotool mousemove 640 700  # no hover look
  sleep 0.5
  import -window root -crop 36x36+430+17 "$e2e_shots/$1.png"
}
# vw1.cfg as "l,t,r,b" (each 0x0D 0x0A read back as 0x0A).
stored_rect() {
  python3 -c "import struct,sys; print(','.join(map(str, struct.unpack('<4i', open(sys.argv[1],'rb').read().replace(b'\r\n', b'\n')[:16]))))" "$data/vw1.cfg"
}
# The test camera's bars, as the window at L,T,R,B shows them: yellow and blue in the upper half.
check_bars() {
  local shot=$1 l t r b y
  IFS=, read -r l t r b <<<"$2"
  y=$((t + (b - t) * 2 / 5))
  [ "$(pixel "$shot" $((l + (r - l) * 3 / 14)) $y)" = FFFF00 ] && [ "$(pixel "$shot" $((l + (r - l) * 13 / 14)) $y)" = 0000FF ]
}

e2e_start "$e2e_bin/Quorlin.exe"
program=$e2e_last_pid
e2e_wait_bar_ready
button_shot camera_button_off

# First opening: the template's size (318x296 at this display's DPI and dialog font), touching the right edge,
# 30 pixels below the top. The time to the first frame is measured with screenshots.
start=$(date +%s.%N)
e2e_click 'id=1015 class="Button"'
deadline=$((SECONDS + 20))
until [ $SECONDS -ge $deadline ]; do
  import -window root "$e2e_shots/camera_first_frame.png"
  rect=$(camera_rect)
  [ -n "$rect" ] && check_bars "$e2e_shots/camera_first_frame.png" "$rect" && break
  sleep 0.05
done
echo "camera picture after $(python3 -c "print('%.2f' % ($(date +%s.%N) - $start))") s (button press to first frame, screenshot polling)"
e2e_wait_for 'class="#32770" title="" rect=962,30,1280,326' 10
e2e_screenshot camera_open_1
sleep 1
e2e_screenshot camera_open_2
check_bars "$e2e_shots/camera_open_1.png" 962,30,1280,326 || fail "the camera window does not show the test picture"
# The frame counter (the band's left half) changes from one second to the next.
counter() { convert "$e2e_shots/$1.png" -crop 140x50+966+205 -format '%#' info:; }
[ "$(counter camera_open_1)" != "$(counter camera_open_2)" ] || fail "the camera picture does not move"
button_shot camera_button_on
[ "$(compare -metric AE "$e2e_shots/camera_button_off.png" "$e2e_shots/camera_button_on.png" null: 2>&1)" != 0 ] ||
  fail "the camera button did not change its picture"

# A recording meanwhile shows the camera window at its place.
e2e_click 'id=1001 class="Button"'
e2e_wait_text '正在录制 00:' 60 >/dev/null
sleep 4
e2e_click 'id=1001 class="Button"'
e2e_wait_status '^已停止 ' 60
mp4=$(ls "$out"/*_rec.mp4 | head -n 1)
python3 "$e2e_repo/tests/e2e/media_check.py" pixels "$mp4" "$e2e_shots/camera_recorded.png" \
  1030,120,FFFF00 1260,120,0000FF || fail "the recording does not show the camera window"

# Dragged by its picture, maximised by a double click, restored by Escape.
xdotool mousemove 1120 160 mousedown 1
for step in 1 2 3 4 5; do xdotool mousemove $((1120 - step * 60)) $((160 + step * 40)); sleep 0.1; done
xdotool mouseup 1
e2e_until 10 camera_at 662,230,980,526 || fail "dragging moved the window to $(camera_rect), not 662,230,980,526"
xdotool mousemove 820 360 click --repeat 2 --delay 80 1
e2e_until 10 camera_covers_screen || fail "a double click did not maximise the window ($(camera_rect))"
sleep 1
e2e_screenshot camera_maximised
e2e_key Escape
e2e_until 10 camera_at 662,230,980,526 || fail "Escape did not restore the window ($(camera_rect))"
sleep 1  # the window system finishes the restore

# The camera button closes it and keeps its place; the next opening restores it.
e2e_click 'id=1015 class="Button"'
e2e_until 10 camera_gone || fail "the camera button did not close the window"
[ "$(stored_rect)" = 662,230,980,526 ] || fail "vw1.cfg holds $(stored_rect)"
e2e_click 'id=1015 class="Button"'
e2e_until 10 camera_at 662,230,980,526 || fail "the window did not reopen at its place ($(camera_rect))"
e2e_key Escape
e2e_until 10 camera_gone || fail "Escape did not close the window"

# A stored top of 10 (a 0x0A byte, kept as 0x0D 0x0A) comes back unchanged (left of the bar,
# so that the bar's button stays clickable).
python3 -c "import struct,sys; open(sys.argv[1],'wb').write(struct.pack('<4i', 40, 10, 320, 220).replace(b'\n', b'\r\n'))" "$data/vw1.cfg"
e2e_click 'id=1015 class="Button"'
e2e_until 10 camera_at 40,10,320,220 || fail "a stored top of 10 gave $(camera_rect)"
e2e_click 'id=1015 class="Button"'
e2e_until 10 camera_gone || fail "the camera button did not close the window"

# A place half off the screen is kept; one on no monitor (a monitor since unplugged) gives the
# default place.
store_rect() {
  python3 -c "import struct,sys; open(sys.argv[1],'wb').write(struct.pack('<4i', *map(int, sys.argv[2].split(','))).replace(b'\n', b'\r\n'))" "$data/vw1.cfg" "$1"
}
for place in 1100,500,1418,796:1100,500,1418,796 1400,100,1718,396:962,30,1280,326; do
  store_rect "${place%:*}"
  e2e_click 'id=1015 class="Button"'
  e2e_until 10 camera_at "${place#*:}" || fail "a stored ${place%:*} gave $(camera_rect), not ${place#*:}"
  e2e_screenshot "camera_window_stored_${place%%,*}"
  e2e_click 'id=1015 class="Button"'
  e2e_until 10 camera_gone || fail "the camera button did not close the window"
done

# A camera that is not installed: the window shows and goes at once, no message, and the
# button is off again. (Settings are read at start.)
e2e_click 'class="Static" text="led"'
e2e_key Escape
e2e_wait_exit "$program" 30 || fail "Escape did not end the idle program"
e2e_settings camera_name="No Such Camera"
e2e_start "$e2e_bin/Quorlin.exe"
program=$e2e_last_pid
e2e_wait_bar_ready
e2e_click 'id=1015 class="Button"'
sleep 2
camera_gone || fail "the window of a missing camera stayed open"
! e2e_listing_has 'class="#32770" title="Quorlin' || fail "a message box appeared for a missing camera"
button_shot camera_button_missing
[ "$(compare -metric AE "$e2e_shots/camera_button_off.png" "$e2e_shots/camera_button_missing.png" null: 2>&1)" = 0 ] ||
  fail "the camera button stayed on for a missing camera"
echo "PASS: the camera window"
