#!/usr/bin/env bash
# Clicks a viewer can see: the settings dialog's "录制时显示鼠标点击" starts clear with no value
# in the registry, and OK stores it beside the capture area; then an area recording through the
# genuine encoder while xdotool clicks at known places and instants: a left click, a right click,
# a double click, a click just outside the area and a held press. The frames at those instants
# hold the ring's colour there (yellow left, blue right, two pulses for the double click, none
# outside the area) and the frames 400 ms later do not. With the box clear, the same clicks
# leave no ring.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display 1280x1024  # the whole settings dialog on the screen with this display's fonts
e2e_install_encoder
e2e_install_devices

out_win='C:\quorlin-clicks'
out=$(e2e_fresh_folder "$out_win")
e2e_settings output_folder="$out_win" sound_source=1 save_format=0 frame_rate=25 video_width=0 video_height=0 \
  live_enabled=0 hide_after_start=0
key='HKCU\Software\screen-capture-recorder'
# A registry as an older version left it: no value of ours. The value never outlives the
# test: the other tests share the prefix.
e2e_system_tool reg.exe delete "$key" /v show_clicks /f >/dev/null 2>&1 || true
trap 'e2e_system_tool reg.exe delete "$key" /v show_clicks /f >/dev/null 2>&1 || true; e2e_cleanup' EXIT
show_clicks_value() {
  e2e_system_tool reg.exe query "$key" /v show_clicks 2>/dev/null | tr -d '\r' | awk '$1 == "show_clicks" { print $3 }'
}

# The clicks land on a dark window (on the bare X root Windows programs never see them).
e2e_start "$e2e_bin/colour_window.exe" 0 100 1280 924 303030
e2e_wait_for 'title="colour_window" rect=0,100,1280,1024'
e2e_start "$e2e_bin/Quorlin.exe"
program=$e2e_last_pid
e2e_wait_bar_ready
e2e_wait_status '^就绪 - 全屏模式$'

dialog_open() { e2e_listing_has 'class="#32770" title="设置"'; }
dialog_closed() { ! dialog_open; }
# set_show_clicks on|off: the box through the dialog, as a user sets it, then OK.
set_show_clicks() {
  local want=$1 now
  sleep 0.5
  e2e_click_until 'id=3 class="Button"' dialog_open
  e2e_wait_for 'id=1025 class="Button" text="录制时显示鼠标点击"' 20
  sleep 1
  now=$([ "$(show_clicks_value)" = 0x1 ] && echo on || echo off)
  [ "$now" = "$want" ] || e2e_click 'id=1025 class="Button"'
  sleep 0.5
  e2e_screenshot "settings_show_clicks_$want"
  e2e_click 'id=1 class="Button" text="确定"'
  e2e_until 10 dialog_closed || fail "OK did not close the settings dialog"
}

# What an older registry gives: the box clear (seen in the screenshot), stored as 0 on OK.
set_show_clicks off
[ "$(show_clicks_value)" = 0x0 ] || fail "OK with the box clear stored show_clicks=$(show_clicks_value)"
set_show_clicks on
[ "$(show_clicks_value)" = 0x1 ] || fail "OK with the box ticked stored show_clicks=$(show_clicks_value)"

# The area (200,200)-(600,500); the frame window plays no part here.
for value in start_x=200 start_y=200 capture_width=400 capture_height=300; do
  e2e_system_tool reg.exe add "$key" /v "${value%=*}" /t REG_DWORD /d "${value#*=}" /f >/dev/null
done

now() { date +%s.%N; }
# record NAME CLICKS...: one recording during which the clicks are made; each click is
# "KIND X Y" with KIND left, right, double, hold or outside; the instants (wall clock) go to
# NAME.events and the recording's path to $recorded.
record() {
  local name=$1 before kind x y base
  shift
  before=$(ls "$out")
  xdotool mousemove 700 600
  e2e_click 'id=1001 class="Button"'
  e2e_wait_text '正在录制 00:' 60 >/dev/null
  xdotool mousemove 700 600
  sleep 1
  : >"$e2e_shots/$name.events"
  for click in "$@"; do
    read -r kind x y <<<"$click"
    xdotool mousemove "$x" "$y"
    sleep 0.3
    case $kind in
      left | outside) echo "$kind $x $y $(now)" >>"$e2e_shots/$name.events" && xdotool click 1 ;;
      right) echo "$kind $x $y $(now)" >>"$e2e_shots/$name.events" && xdotool click 3 ;;
      double) echo "$kind $x $y $(now)" >>"$e2e_shots/$name.events" && xdotool click --repeat 2 --delay 200 1 ;;
      hold)
        echo "$kind $x $y $(now)" >>"$e2e_shots/$name.events"
        xdotool mousedown 1
        sleep 0.6
        echo "release $x $y $(now)" >>"$e2e_shots/$name.events"
        xdotool mouseup 1
        ;;
    esac
    sleep 1.2
  done
  xdotool mousemove 700 600
  e2e_click 'id=1001 class="Button"'
  e2e_wait_status '^已停止 ' 60
  base=$(comm -13 <(echo "$before") <(ls "$out") | grep '_rec\.mp4$' | head -n 1)
  [ -n "$base" ] || fail "no new recording in $out: $(ls "$out")"
  recorded=$out/$base
}

record clicks_shown 'left 300 300' 'right 500 400' 'double 300 450' 'outside 196 350' 'hold 450 250'
python3 "$e2e_repo/tests/e2e/click_frames.py" shown "$recorded" "$e2e_shots/clicks_shown.events" 200 200 \
  "$e2e_shots/recorded_click_ring.png" || fail "the recording does not show the clicks as it should"

set_show_clicks off
[ "$(show_clicks_value)" = 0x0 ] || fail "clearing the box stored show_clicks=$(show_clicks_value)"
record clicks_hidden 'left 300 300' 'right 500 400' 'hold 450 250'
python3 "$e2e_repo/tests/e2e/click_frames.py" hidden "$recorded" "$e2e_shots/clicks_hidden.events" 200 200 ||
  fail "a recording with the box clear shows rings"

kill -0 "$program" || fail "the program ended"
echo "PASS: clicks shown in the recording"
