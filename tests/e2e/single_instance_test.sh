#!/usr/bin/env bash
# A second start while the bar is open shows the refusal and ends; the first keeps running.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display
e2e_install_encoder
e2e_install_devices

e2e_start "$e2e_bin/Quorlin.exe"
first=$e2e_last_pid
e2e_wait_bar_ready

e2e_start "$e2e_bin/Quorlin.exe"
second=$e2e_last_pid
e2e_wait_for 'text="程序的另一个实例已经在运行，当前进程将退出！"'
e2e_windows | grep -q 'title="Quorlin 录屏"' || fail "the message box is not captioned with the application title"
e2e_screenshot single_instance
[ "$(e2e_windows | grep -c 'title="quorlwnd"')" = 1 ] || fail "expected exactly one bar"

# OK ends the second process; the first is untouched.
sleep 1  # the message box settles before it is clicked
e2e_click 'class="Button" text="确定"'
if ! e2e_wait_exit "$second" 10; then
  # Wine now and then loses a click on a window that has just appeared: press OK once more.
  echo "note: the first press of OK was lost; pressing again"
  e2e_click 'class="Button" text="确定"'
  e2e_wait_exit "$second" 30 || fail "the second instance did not end after OK"
fi
kill -0 "$first" 2>/dev/null || fail "the first instance ended"
e2e_wait_for 'title="quorlwnd"' 5

# Escape closes the bar, and the program ends.
e2e_click 'class="Static" text="led"'
e2e_key Escape
e2e_wait_exit "$first" 30 || fail "the first instance did not end on Escape"
echo "PASS: single instance"
