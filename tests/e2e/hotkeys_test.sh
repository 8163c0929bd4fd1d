#!/usr/bin/env bash
# The global keys while another program has the focus: F8 starts a recording (a held key is
# one press) and stops it, F9 opens and closes the camera window, and the focused program
# still gets its keys. Without vexhook.dll beside the program: one message at start-up, and
# the buttons still work.
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
e2e_wait_for 'title="quorlwnd" rect=[0-9]*,0,'
e2e_start "$WINEPREFIX/drive_c/windows/system32/notepad.exe"
e2e_wait_for 'class="Notepad"'
e2e_click 'class="Edit"'
xdotool type 'abc'

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
e2e_wait_for 'title="quorlwnd" rect=[0-9]*,0,'
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
