#!/usr/bin/env bash
# The global keys while another program has the focus: F8 starts a recording (a held key is
# one press) and stops it, F9 opens and closes the camera window, and the focused program
# still gets its keys. While the bar's thread is held by a camera that takes 3 s to open,
# keys typed into that program arrive at once (the keyboard hook answers on a thread of its
# own), and F8 and F9 work afterwards. Without vexhook.dll beside the program: one message
# at start-up, and the buttons still work.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display
e2e_install_encoder
e2e_install_devices

out_win='C:\quorlin-hotkeys'
out=$(e2e_unix_path "$out_win")
rm -rf "$out"
mkdir -p "$out"
e2e_settings output_folder="$out_win" sound_source=1 save_format=0 live_enabled=0 hide_after_start=0 \
  video_width=0 video_height=0 camera_name="Quorlin Test Camera" camera_width=0 camera_height=0
camera_shown() { e2e_listing_has '^window .* class="#32770" title="" rect='; }
camera_hidden() { ! camera_shown; }

e2e_start "$e2e_bin/Quorlin.exe"
program=$e2e_last_pid
e2e_wait_bar_ready
e2e_start "$WINEPREFIX/drive_c/windows/system32/notepad.exe"
e2e_wait_for 'class="Notepad"'
e2e_click 'class="Edit"'
xdotool type 'abc'

# F9 opens the camera, which holds the bar's thread for 3 s (this once: the setting is used
# up). The camera window takes the focus; a click gives it back to notepad, and keys typed
# there meanwhile are timed from the typing until notepad shows them (only notepad is asked:
# the bar does not answer).
slow_camera_key='HKCU\Software\Quorlin\Test Devices'
e2e_system_tool reg.exe add "$slow_camera_key" /v camera_open_delay_ms /t REG_DWORD /d 3000 /f >/dev/null
notepad_xy=$(e2e_middle 'class="Edit"')
"$e2e_repo/tools/wine-run.sh" "$e2e_bin/wininspect.exe" wait abcxyz 30 Edit >/dev/null 2>&1 &
typed_wait=$!
sleep 2  # the waiting tool is up
now_ms() { echo $(($(date +%s%N) / 1000000)); }
f9_ms=$(now_ms)
e2e_key F9
sleep 0.5
xdotool mousemove $notepad_xy click 1
typed_ms=$(now_ms)
xdotool type 'xyz'
wait "$typed_wait" || fail "notepad never showed the keys typed while the bar was busy"
arrived_ms=$(now_ms)
echo "keys typed while the camera held the bar's thread arrived after $((arrived_ms - typed_ms)) ms" \
  "($((arrived_ms - f9_ms)) ms after F9; the camera holds the bar for 3000 ms)"
[ $((arrived_ms - f9_ms)) -lt 3000 ] && [ $((arrived_ms - typed_ms)) -lt 1500 ] ||
  fail "typed keys waited for the bar: $((arrived_ms - typed_ms)) ms"
e2e_until 20 camera_shown || fail "F9 did not open the slow camera"
e2e_click 'class="Edit"'
e2e_key F9
e2e_until 20 camera_hidden || fail "F9 did not close the camera window after the wait"
e2e_windows | grep -q 'class="Edit" text="abcxyz"' || fail "notepad lost keys: $(e2e_windows | grep 'class="Edit"')"
e2e_click 'class="Edit"'  # the hidden camera window may have passed the focus on
xdotool key BackSpace BackSpace BackSpace

# F8 held for two seconds starts one recording; it is not stopped by the key's repeats.
xdotool keydown F8
sleep 2
xdotool keyup F8
e2e_wait_status '^正在录制 ' 60
sleep 3
e2e_status_matches '^正在录制 ' || fail "the held F8 did not leave one recording running: $(e2e_status)"
xdotool type 'def'
e2e_screenshot hotkeys_recording
e2e_windows | grep -q 'class="Edit" text="abcdef"' || fail "notepad did not get its keys: $(e2e_windows | grep 'class="Edit"')"
e2e_key F8
e2e_wait_status '^已停止 ' 60
mp4=$(ls "$out" | grep '_rec\.mp4$') || fail "no MP4 in $out after F8 stopped the recording"
ffprobe -v error "$out/$mp4" || fail "$out/$mp4 is not a readable MP4"

e2e_key F9
e2e_until 20 camera_shown || fail "F9 did not open the camera window"
e2e_screenshot hotkeys_camera
e2e_click 'class="Edit"'  # the focus back to notepad
e2e_key F9
e2e_until 20 camera_hidden || fail "F9 did not close the camera window"
e2e_click 'id=2 class="Button"'
e2e_wait_exit "$program" 30 || fail "the program did not end on its close button"

# The program without its hotkey library.
nohook=$(e2e_unix_path 'C:\quorlin-nohook')
rm -rf "$nohook"
mkdir -p "$nohook"
cp -r "$e2e_bin/Quorlin.exe" "$e2e_bin/skin" "$nohook/"
e2e_start "$nohook/Quorlin.exe"
program=$e2e_last_pid
e2e_wait_for 'text="注册系统热键失败，您无法使用热键操作！"' 60
e2e_screenshot hotkeys_missing_library
e2e_click 'class="Button" text="确定"'
e2e_wait_bar_ready
e2e_listing_has '注册系统热键失败' && fail "the hotkey message came more than once"
sleep 1  # the window system settles after the message box
e2e_click 'id=1015 class="Button"'
if ! e2e_until 10 camera_shown; then
  # Under load Wine now and then loses a click right after a message box has gone; a second
  # press still shows whether the button works.
  echo "note: the camera window did not open on the first press; pressing again"
  e2e_click 'id=1015 class="Button"'
  e2e_until 20 camera_shown || fail "the camera button did not open the camera window without hotkeys"
fi
e2e_click 'id=1015 class="Button"'
e2e_until 20 camera_hidden || fail "the camera button did not close the camera window without hotkeys"
e2e_click 'id=2 class="Button"'
e2e_wait_exit "$program" 30 || fail "the program without hotkeys did not end on its close button"
echo "PASS: hotkeys"
