#!/usr/bin/env bash
# The manual beside the program: its pictures are screenshots of the real program taken here
# (the start-up check, the bar, the bar with a recording paused, the About box, the settings
# box that shows clicks, and a frame recorded with a click ring), and the page renders in a
# real browser engine with every link and picture resolving.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display 1280x1024  # the whole settings dialog on the screen with this display's fonts
e2e_install_encoder
e2e_install_devices
key='HKCU\Software\screen-capture-recorder'
# The clicks setting never outlives the test: the other tests share the prefix.
trap 'e2e_system_tool reg.exe delete "$key" /v show_clicks /f >/dev/null 2>&1 || true; e2e_cleanup' EXIT
out=$(e2e_fresh_folder 'C:\quorlin-manual')
e2e_settings output_folder='C:\quorlin-manual' sound_source=1 save_format=0 frame_rate=25 video_width=0 \
  video_height=0 live_enabled=0 hide_after_start=0
manual=$e2e_bin/manual
mkdir -p "$manual/images"

# picture PATTERN NAME: the window whose listing line matches, cut out of the screen.
picture() {
  local rect l t r b
  rect=$(e2e_windows | grep -m1 -- "$1" | sed -n 's/.* rect=\([-0-9]*,[-0-9]*,[-0-9]*,[-0-9]*\).*/\1/p')
  [ -n "$rect" ] || fail "no window matching $1 to picture"
  IFS=, read -r l t r b <<<"$rect"
  import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$manual/images/$2.png"
}

e2e_start "$e2e_bin/Quorlin.exe"
program=$e2e_last_pid
e2e_wait_for '正在启动主程序\.\.\.' 60
picture 'title="初始化\.\.\."' startup_check
e2e_wait_bar_ready
xdotool mousemove 640 600  # no hover look on the bar
sleep 0.5
picture 'title="quorlwnd"' bar
# A recording (with the system sound, set before the start: the program reads its settings
# once), paused with F7, for the picture of the paused bar.
e2e_click 'id=1001 class="Button"'
e2e_wait_text '正在录制 00:' 60 >/dev/null
sleep 2
e2e_key F7
e2e_wait_status '^已暂停 ' 10
xdotool mousemove 640 600
sleep 0.5
picture 'title="quorlwnd"' bar_paused
e2e_click 'id=1001 class="Button"'
e2e_wait_status '^已停止 ' 60
# The click recording below, alone in the folder.
e2e_fresh_folder 'C:\quorlin-manual' >/dev/null
e2e_click 'id=1023 class="Button"'
e2e_wait_for 'text="版本号 2.0.5"' 20
picture 'title="关于"' about
e2e_click 'class="Button" text="OK"'

# The box that shows clicks, ticked, and a recorded frame with the ring of a held left button
# (on a dark window: Windows programs never see clicks on the bare X root).
dialog_open() { e2e_listing_has 'class="#32770" title="设置"'; }
dialog_closed() { ! dialog_open; }
sleep 0.5
e2e_click_until 'id=3 class="Button"' dialog_open
e2e_wait_for 'id=1025 class="Button" text="录制时显示鼠标点击"' 20
sleep 1
e2e_click 'id=1025 class="Button"'
xdotool mousemove 640 1010
sleep 0.5
picture 'class="Button" text="其他"' settings_clicks
e2e_click_until 'id=1 class="Button" text="确定"' dialog_closed
e2e_start "$e2e_bin/colour_window.exe" 0 100 1280 924 303030
e2e_wait_for 'title="colour_window" rect=0,100,1280,1024'
e2e_click 'id=1001 class="Button"'
e2e_wait_text '正在录制 00:' 60 >/dev/null
xdotool mousemove 640 500
sleep 0.5
xdotool mousedown 1
sleep 1.5
xdotool mouseup 1
sleep 0.5
e2e_click 'id=1001 class="Button"'
e2e_wait_status '^已停止 ' 60
python3 "$e2e_repo/tests/e2e/click_frames.py" picture "$(ls "$out"/*_rec.mp4 | head -n 1)" 640 500 \
  "$manual/images/click_ring.png" || fail "no recorded frame with a click ring for the manual"
e2e_click 'id=2 class="Button"'
e2e_wait_exit "$program" 30 || fail "the program did not end on its close button"

python3 "$e2e_repo/tests/e2e/manual_check.py" "$manual/index.html" || fail "the manual has broken links"
chromium-headless-shell --no-sandbox --disable-gpu --hide-scrollbars --window-size=1000,3000 \
  --screenshot="$e2e_shots/manual.png" "file://$manual/index.html" >/dev/null 2>&1 ||
  fail "the browser could not render the manual"
echo "screenshot: $e2e_shots/manual.png"
echo "PASS: manual"
