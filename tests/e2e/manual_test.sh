#!/usr/bin/env bash
# The manual beside the program: its pictures are screenshots of the real program taken here
# (the start-up check, the bar, the bar with a recording paused, the About box), and the page renders in a real browser engine
# with every link and picture resolving.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display
e2e_install_encoder
e2e_install_devices
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
e2e_wait_for 'title="quorlwnd" rect=[0-9]*,0,'
xdotool mousemove 640 600  # no hover look on the bar
sleep 0.5
picture 'title="quorlwnd"' bar
# A silent recording, paused with F7, for the picture of the paused bar.
e2e_settings output_folder='C:\quorlin-manual' sound_source=3 live_enabled=0 hide_after_start=0
e2e_fresh_folder 'C:\quorlin-manual' >/dev/null
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
e2e_click 'id=1023 class="Button"'
e2e_wait_for 'text="版本号 2.0.5"' 20
picture 'title="关于"' about
e2e_click 'class="Button" text="OK"'
e2e_click 'id=2 class="Button"'
e2e_wait_exit "$program" 30 || fail "the program did not end on its close button"

python3 "$e2e_repo/tests/e2e/manual_check.py" "$manual/index.html" || fail "the manual has broken links"
chromium-headless-shell --no-sandbox --disable-gpu --hide-scrollbars --window-size=1000,3000 \
  --screenshot="$e2e_shots/manual.png" "file://$manual/index.html" >/dev/null 2>&1 ||
  fail "the browser could not render the manual"
echo "screenshot: $e2e_shots/manual.png"
echo "PASS: manual"
