#!/usr/bin/env bash
# The About box from the bar: the version line, "查看帮助" starting the shell on the manual
# beside the program, and doing nothing where the manual is missing.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display
e2e_install_encoder
e2e_install_devices

# The shell's processes started on the manual (Wine shows a process's command line).
manual_openers() { pgrep -fa 'explorer.*manual.index\.html' || true; }
manual_opened() { [ -n "$(manual_openers)" ]; }
manual_closed() { ! manual_opened; }
about_closed() { ! e2e_listing_has 'title="关于"'; }

# about_help PROGRAM.exe: opens the About box of PROGRAM from its bar and presses "查看帮助".
about_help() {
  e2e_start "$1"
  program=$e2e_last_pid
  e2e_wait_bar_ready
  e2e_click 'id=1023 class="Button"'
  e2e_wait_for 'text="版本号 2.0.5"' 20
  e2e_click 'class="Button" text="查看帮助"'
}

about_help "$e2e_bin/Quorlin.exe"
e2e_screenshot about_box
e2e_until 20 manual_opened || fail "查看帮助 started nothing on the manual"
echo "started: $(manual_openers)"
kill $(manual_openers | cut -d' ' -f1)  # so that the check without a manual starts clean
e2e_until 10 manual_closed || fail "the shell on the manual did not end"
e2e_click 'class="Button" text="OK"'
e2e_until 10 about_closed || fail "OK did not close the About box"
e2e_click 'id=2 class="Button"'
e2e_wait_exit "$program" 30 || fail "the program did not end on its close button"

# A copy of the program without its manual folder.
bare=$(e2e_unix_path 'C:\quorlin-nomanual')
rm -rf "$bare"
mkdir -p "$bare"
cp -r "$e2e_bin/Quorlin.exe" "$e2e_bin/vexhook.dll" "$e2e_bin/skin" "$bare/"
about_help "$bare/Quorlin.exe"
sleep 5
manual_opened && fail "查看帮助 started something without a manual: $(manual_openers)"
e2e_listing_has 'title="关于"' || fail "the About box closed"
e2e_click 'class="Button" text="OK"'
e2e_click 'id=2 class="Button"'
e2e_wait_exit "$program" 30 || fail "the program did not end on its close button"
echo "PASS: About box"
