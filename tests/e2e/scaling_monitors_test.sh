#!/usr/bin/env bash
# Area recording where users' desktops differ from a plain one, with the real mouse, the
# genuine encoder and our desktop capture device:
#   1. display scaling at 150 % (LogPixels 144): the overlay dims the screen with a clear hole,
#      a 301x201 drag places the frame on 300x200, and the recording is its 292x192 inside,
#      pixel for pixel, exactly as at 100 %;
#   2. two monitors side by side (1280x800, and 1024x768 right of it): the overlay covers both,
#      an area dragged on the second monitor gets the frame there and is recorded exactly;
#   3. the same with the second monitor left of the primary one, at negative coordinates.
# With clicks shown, a press held in the area draws a ring of 36 pixels at 150 % and of 24 on
# the second monitor at 100 %, at negative coordinates.
# Two monitors under Wine: Xorg with its dummy video driver, two screens joined by Xinerama,
# and the prefix's X11 driver told not to use XF86VidMode (with it Wine keeps one monitor).
# Xvfb cannot do this: its Xinerama puts every screen at 0,0. X places the leftmost screen at
# x 0 where Windows has the primary monitor's corner: xdotool's x is Windows' x + $x_offset.
source "$(dirname "$0")/e2e_lib.sh" "$1"
# A prefix of its own: the scale and the X11 driver's settings are this test's.
export QUORLIN_WINEPREFIX=$e2e_build/wineprefix-monitors
command -v xcompmgr >/dev/null || fail "no xcompmgr (tools/setup.sh installs it)"
e2e_start_display
xcompmgr >/dev/null 2>&1 &
e2e_pids+=($!)
e2e_install_encoder
e2e_install_devices
desktop_key='HKCU\Control Panel\Desktop'
e2e_system_tool reg.exe add "$desktop_key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
e2e_system_tool reg.exe add 'HKCU\Software\Wine\X11 Driver' /v UseXVidMode /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -k 2>/dev/null || true  # every program from here on starts with the new scale

out_win='C:\quorlin-monitors'
out=$(e2e_fresh_folder "$out_win")
e2e_settings output_folder="$out_win" sound_source=1 save_format=0 frame_rate=15 video_width=0 video_height=0 \
  live_enabled=0 hide_after_start=0
blue=2040C0 green=20C040 band=00FF50 red=FF0000

media_check() { python3 "$e2e_repo/tests/e2e/media_check.py" "$@"; }
scratch=$e2e_shots/monitors_pixels_checked.png

# colour_windows X Y: a blue band and a green window on it, from (X,Y), for the area to show.
colour_windows() {
  local x=$1 y=$2
  e2e_start "$e2e_bin/colour_window.exe" "$x" "$y" 200 400 $blue
  e2e_wait_for "title=\"colour_window\" rect=$x,$y,$((x + 200)),$((y + 400))"
  e2e_start "$e2e_bin/colour_window.exe" $((x + 100)) $((y + 50)) 200 150 $green
  e2e_wait_for "title=\"colour_window\" rect=$((x + 100)),$((y + 50)),$((x + 300)),$((y + 200))"
}

start_program() {
  e2e_start "$e2e_bin/Quorlin.exe"
  e2e_wait_bar_ready
  e2e_wait_status '^就绪 - 全屏模式$'
}

overlay_gone() { ! e2e_listing_has 'title="area"'; }
x_offset=0

# click PATTERN CHECK...: clicks the middle of a control until CHECK succeeds; a click that
# Wine lost (the pointer moved in just before) is repeated.
click() {
  local x y try
  for try in 1 2 3; do
    read -r x y < <(e2e_middle "$1")
    xdotool mousemove $((x + x_offset)) "$y"
    sleep 0.2
    xdotool click 1
    e2e_until 10 "${@:2}" && return 0
    echo "click on $1 at $x,$y (+$x_offset) lost (try $try)"
  done
  fail "clicking $1 did not lead to: ${*:2}"
}
status_is() { e2e_status_matches "$1"; }

# choose_area NAME X Y OVERLAY: the area button shows the overlay over OVERLAY (l,t,r,b); a
# 301x201 drag from (X,Y) is accepted as 300x200, the frame is placed there (green band, red
# corners) and its inside written. The overlay and the frame are kept as NAME_overlay.png and
# NAME_frame.png.
choose_area() {
  local name=$1 x=$2 y=$3 overlay=$4 i got
  click 'id=1021 class="Button"' e2e_listing_has 'title="area"'
  e2e_wait_for "title=\"area\" rect=$overlay" 20
  xdotool mousemove $((x + x_offset)) "$y" mousedown 1
  for i in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove $((x + x_offset + 301 * i / 10)) $((y + 201 * i / 10))
    sleep 0.05
  done
  sleep 0.5
  e2e_screenshot "${name}_overlay"
  # Dimmed outside, clear over the green window inside the hole.
  media_check pixels "$e2e_shots/${name}_overlay.png" "$scratch" $((x + x_offset + 150)),$((y + 100)),$green \
    $((x + x_offset + 50)),$((y + 260)),112266 || fail "$name: the overlay does not dim the screen around a clear hole"
  xdotool mouseup 1
  e2e_wait_for "title=\"rec_area\" rect=$x,$y,$((x + 300)),$((y + 200))" 20
  e2e_until 20 overlay_gone || fail "$name: the overlay is still shown"
  got=$(e2e_area_values)
  [ "$got" = "$((x + 4)) $((y + 4)) 292 192" ] || fail "$name: the capture area is '$got'"
  echo "$name: capture area $got"
  sleep 0.5
  e2e_screenshot "${name}_frame"
  x=$((x + x_offset))
  media_check pixels "$e2e_shots/${name}_frame.png" "$scratch" $((x + 1)),$((y + 100)),$band \
    $((x + 150)),$((y + 1)),$band $((x + 1)),$((y + 1)),$red $((x + 299)),$((y + 199)),$red \
    $((x + 150)),$((y + 100)),$green || fail "$name: the frame is not a green band with red corners"
}

# record_area NAME X Y: a 4-s MP4 recording of the frame at (X,Y); it must be the frame's
# 292x192 inside exactly as a screenshot shows it (NAME_screen.png, NAME_recorded.png).
record_area() {
  local name=$1 x=$2 y=$3 recorded size
  click 'id=1001 class="Button"' status_is '^正在录制 00:'
  xdotool mousemove $((x_offset + 640)) 700  # the pointer out of the area
  sleep 2
  e2e_screenshot "${name}_screen"
  sleep 2
  click 'id=1001 class="Button"' status_is '^(检查格式|已停止) '
  e2e_wait_status '^已停止 ' 60
  recorded=$(ls -t "$out"/*_rec.mp4 | head -n 1)
  size=$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0:s=x "$recorded")
  echo "$name: $recorded, $size"
  [ "$size" = 292x192 ] || fail "$name: the recording is $size, not 292x192"
  media_check matches "$recorded" "$e2e_shots/${name}_recorded.png" "$e2e_shots/${name}_screen.png" \
    $((x + x_offset + 4)) $((y + 4)) || fail "$name: the recording is not the frame's inside"
}

# record_ring NAME X Y DIAMETER: with clicks shown, a recording of the frame at (X,Y) while the
# left button is held in its middle, over the green window: the ring is DIAMETER pixels across.
record_ring() {
  local name=$1 x=$2 y=$3 recorded
  e2e_system_tool reg.exe add 'HKCU\Software\screen-capture-recorder' /v show_clicks /t REG_DWORD /d 1 /f >/dev/null
  click 'id=1001 class="Button"' status_is '^正在录制 00:'
  xdotool mousemove $((x + x_offset + 150)) $((y + 100))
  sleep 0.5
  xdotool mousedown 1
  sleep 1
  xdotool mouseup 1
  sleep 0.5
  click 'id=1001 class="Button"' status_is '^(检查格式|已停止) '
  e2e_wait_status '^已停止 ' 60
  e2e_system_tool reg.exe delete 'HKCU\Software\screen-capture-recorder' /v show_clicks /f >/dev/null
  recorded=$(ls -t "$out"/*_rec.mp4 | head -n 1)
  python3 "$e2e_repo/tests/e2e/click_frames.py" size "$recorded" 146 96 "$4" || fail "$name: the click ring's size"
}

# 1. 150 %.
colour_windows 100 100
start_program
choose_area scaling_144dpi 150 120 0,0,1280,800
record_area scaling_144dpi 150 120
record_ring scaling_144dpi 150 120 36

# start_two_monitors RightOf|LeftOf: a display of two monitors, 1280x800 (primary) and
# 1024x768 on the side given, instead of the one before; Wine is started afresh for it.
start_two_monitors() {
  wineserver -k 2>/dev/null || true
  kill "$e2e_xvfb" 2>/dev/null || true
  xorg_dir=$(mktemp -d)
  cat >"$xorg_dir/xorg.conf" <<EOF
  Section "ServerFlags"
    Option "Xinerama" "on"
    Option "AutoAddDevices" "off"
    Option "DontVTSwitch" "on"
  EndSection
  Section "Device"
    Identifier "card0"
    Driver "dummy"
    VideoRam 32768
  EndSection
  Section "Device"
    Identifier "card1"
    Driver "dummy"
    VideoRam 32768
  EndSection
  Section "Monitor"
    Identifier "monitor0"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
    Modeline "1280x800" 83.50 1280 1352 1480 1680 800 803 809 831
  EndSection
  Section "Monitor"
    Identifier "monitor1"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
    Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806
  EndSection
  Section "Screen"
    Identifier "screen0"
    Device "card0"
    Monitor "monitor0"
    DefaultDepth 24
    SubSection "Display"
      Depth 24
      Modes "1280x800"
      Virtual 1280 800
    EndSubSection
  EndSection
  Section "Screen"
    Identifier "screen1"
    Device "card1"
    Monitor "monitor1"
    DefaultDepth 24
    SubSection "Display"
      Depth 24
      Modes "1024x768"
      Virtual 1024 768
    EndSubSection
  EndSection
  Section "ServerLayout"
    Identifier "layout"
    Screen 0 "screen0"
    Screen 1 "screen1" $1 "screen0"
  EndSection
EOF
  # No virtual terminal of its own: the machine's console is left alone.
  Xorg -config "$xorg_dir/xorg.conf" -logfile "$xorg_dir/Xorg.log" -noreset -nolisten tcp -novtswitch -sharevts \
    -displayfd 3 3>"$xorg_dir/display" >/dev/null 2>&1 &
  e2e_xvfb=$!
  e2e_until 20 test -s "$xorg_dir/display" || fail "Xorg did not start: $(tail -n 5 "$xorg_dir/Xorg.log")"
  export DISPLAY=":$(tr -d '\n' <"$xorg_dir/display")"
  rm -rf "$xorg_dir"
  xcompmgr >/dev/null 2>&1 &
  e2e_pids+=($!)
}

# expect_monitors WANTED: Wine's monitors, one "monitor l,t,r,b primary=0|1" line each, sorted.
expect_monitors() {
  local monitors
  monitors=$("$e2e_repo/tools/wine-run.sh" "$e2e_bin/wininspect.exe" monitors 2>/dev/null | tr -d '\r' | sort)
  echo "monitors: $monitors"
  [ "$monitors" = "$1" ] || fail "Wine does not see the two monitors: $monitors"
}

# 2. The second monitor right of the primary one, at 100 %.
command -v Xorg >/dev/null || fail "no Xorg (tools/setup.sh installs it with its dummy driver)"
start_two_monitors RightOf
e2e_system_tool reg.exe add "$desktop_key" /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
wineserver -k 2>/dev/null || true
expect_monitors "$(printf 'monitor 0,0,1280,800 primary=1\nmonitor 1280,0,2304,768 primary=0')"
colour_windows 1400 150
start_program
choose_area two_monitors 1500 180 0,0,2304,800
record_area two_monitors 1500 180

# 3. The second monitor left of the primary one: Windows' coordinates are negative there.
start_two_monitors LeftOf
x_offset=1024
expect_monitors "$(printf 'monitor -1024,0,0,768 primary=0\nmonitor 0,0,1280,800 primary=1')"
colour_windows -900 100
start_program
choose_area left_monitor -850 130 -1024,0,1280,800
record_area left_monitor -850 130
record_ring left_monitor -850 130 24
echo "PASS: area recording at 150 % and on a second monitor, right or left of the primary one"
