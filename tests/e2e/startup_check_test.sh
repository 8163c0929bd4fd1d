#!/usr/bin/env bash
# F8 pressed during the check does nothing. A leftover encoder is reported and ended before
# the check; a recording note that names a
# transport stream no longer there is reported after it, and a damaged note is removed
# without a word. The start-up check at every
# start: with everything installed it logs four green lines and
# closes by itself after about 5.1 s, and the bar moves into view, also with twelve other
# cameras listed before the desktop device and with Enter pressed while it runs; without the
# encoder, or without the desktop capture device, the log turns red, Escape does nothing and
# OK ends the program.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display
e2e_install_encoder
e2e_install_devices
devices_dll='C:\Program Files\Quorlin\QuorlinDevices.dll'

# The check dialog's window rectangle "l,t,r,b".
check_rect() {
  e2e_windows | sed -n 's/.*title="初始化\.\.\." rect=\([-0-9,]*\).*/\1/p' | head -n 1
}

# count_pixels SHOT RECT COLOUR: how many pixels of that colour lie in the rectangle (text's
# smoothed edges included, so that the count depends little on the font).
count_pixels() {
  local l t r b
  IFS=, read -r l t r b <<<"$2"
  convert "$1" -crop "$((r - l))x$((b - t))+$l+$t" +repage -fuzz 25% -fill white -opaque "$3" -fuzz 0 \
    -fill black +opaque white \
    -format '%[fx:round(mean*w*h)]' info:
}

# shot_colours NAME COLOUR: a screenshot of the check dialog; fails unless the log in its
# upper half is all in COLOUR (green or red).
shot_colours() {
  local rect green red l t r b
  IFS=, read -r l t r b <<<"$(check_rect)"
  rect="$l,$t,$r,$(((t + b) / 2))"
  e2e_screenshot "$1"
  green=$(count_pixels "$e2e_shots/$1.png" "$rect" '#00FF00')
  red=$(count_pixels "$e2e_shots/$1.png" "$rect" '#FF0000')
  echo "$1: $green green and $red red text pixels"
  if [ "$2" = green ]; then
    [ "$green" -gt 200 ] && [ "$red" = 0 ] || fail "$1: the log is not green"
  else
    [ "$red" -gt 200 ] && [ "$green" = 0 ] || fail "$1: the log is not red"
  fi
}

# expect_failure NAME TEXT LINE: the check fails showing TEXT, with LINE a whole line of the
# log, all in red; Escape leaves it open; OK ends the program.
expect_failure() {
  e2e_start "$e2e_bin/Quorlin.exe"
  local program=$e2e_last_pid
  e2e_wait_for "$2" 60
  e2e_windows | tr -d '\r' | grep -qx -- "$3" || fail "$1: no log line $3"
  e2e_windows | grep -q 'class="Button" text="确定" rect=[-0-9,]* visible=1' || fail "$1: no OK button"
  shot_colours "$1" red
  e2e_key Escape
  sleep 1
  e2e_listing_has 'title="初始化\.\.\."' || fail "$1: Escape closed the check"
  e2e_click 'class="Button" text="确定"'
  e2e_wait_exit "$program" 30 || fail "$1: the program did not end after OK"
}

# F8 during the check starts nothing (a recording started then would have its own note taken
# for a crash-left one); once the check has ended, F8 records. First, while the check dialog
# is the display's only window to take the focus, which Wine needs to pass the key on.
out_win='C:\quorlin-startup-rec'
out=$(e2e_fresh_folder "$out_win")
e2e_settings output_folder="$out_win" sound_source=1 save_format=0 live_enabled=0 hide_after_start=0
mp4_made() { ls "$out" | grep -q '_rec\.mp4$' && ! ls "$out" | grep -q '\.ts$'; }
e2e_start "$e2e_bin/Quorlin.exe"
program=$e2e_last_pid
e2e_wait_for '检查系统\.\.\.' 60
sleep 0.5
e2e_key F8
e2e_wait_for 'title="quorlwnd" rect=[0-9]*,0,' 30
sleep 1
e2e_status_matches '^就绪' || fail "F8 during the check started a recording: $(e2e_status)"
[ -z "$(ls "$out")" ] || fail "F8 during the check started a recording: $(ls "$out")"
e2e_click 'id=1002 '
e2e_key F8
e2e_wait_status '^正在录制 00:00:0[2-9]' 30
e2e_key F8
e2e_until 60 mp4_made || fail "F8 after the check made no recording: $(ls "$out")"
e2e_click 'id=2 class="Button"'
e2e_wait_exit "$program" 30 || fail "the program did not end on its close button"

# An encoder left running from before is reported once and ended; the recording noted as in
# progress has gone meanwhile.
data=$(e2e_unix_path 'C:\users')/$(id -un)/AppData/Roaming/quorlin
mkdir -p "$data"
printf '[quorlin-recording]\r\nrecording=C:\\quorlin-gone\\20240101120000.ts\r\nfinal=C:\\quorlin-gone\\20240101120000_rec.mp4\r\n' \
  >"$data/recording.cfg"
note_gone() { [ ! -e "$data/recording.cfg" ]; }
e2e_start "$WINEPREFIX/drive_c/windows/quorlind.exe" -re -f lavfi -i anullsrc -f null -
leftover=$e2e_last_pid
sleep 3
kill -0 "$leftover" || fail "the leftover encoder did not keep running"
e2e_start "$e2e_bin/Quorlin.exe"
program=$e2e_last_pid
e2e_wait_for 'text="系统中存在录制进程残留，将自动清理！"' 60
e2e_screenshot leftover_encoder
e2e_click 'class="Button" text="确定"'
e2e_wait_exit "$leftover" 15 || fail "the leftover encoder is still running"
e2e_wait_for 'text="上次录制没有正常结束，以下录制文件无法恢复：' 30
e2e_windows | tr -d '\r' | grep -qF 'C:\quorlin-gone\20240101120000.ts' || fail "the message does not name the recording"
e2e_screenshot unrecoverable_recording
e2e_click 'class="Button" text="确定" rect=[-0-9,]* visible=1'
note_gone || fail "the note of an unrecoverable recording was kept"
[ ! -e "$(e2e_unix_path 'C:\quorlin-gone')" ] || fail "a folder was made for the missing recording"
e2e_wait_for 'title="quorlwnd" rect=[0-9]*,0,' 30
e2e_click 'id=2 class="Button"'
e2e_wait_exit "$program" 30 || fail "the program did not end on its close button"

# Everything installed: the dialog is timed from its appearance to its closing. Twelve
# other cameras come before ours in the video devices (the devices are listed in the order
# of their registry keys), and Enter is pressed during the check.
video_devices='HKEY_CLASSES_ROOT\CLSID\{860BB310-5D01-11d0-BD3B-00A0C911CE86}\Instance'
# other_cameras [-]: adds the other cameras, or with "-" removes them.
other_cameras() {
  local n
  {
    printf 'REGEDIT4\r\n'
    for n in $(seq 10 21); do
      printf '\r\n[%s%s\\{00000000-0000-0000-0000-0000000000%s}]\r\n' "${1:-}" "$video_devices" "$n"
      if [ -z "${1:-}" ]; then printf '"FriendlyName"="Other Camera %s"\r\n' "$n"; fi
    done
  } >"$WINEPREFIX/drive_c/other_cameras.reg"
  e2e_system_tool reg.exe import 'C:\other_cameras.reg' >/dev/null 2>&1
}
# They never outlive the test: the other tests share the prefix.
trap 'e2e_cleanup; other_cameras - || true; wineserver -k 2>/dev/null || true' EXIT
other_cameras || fail "could not add the other cameras"
printf '[quorlin-recording]\r\nrecording=C:\\Windows\\win.ini\r\n' >"$data/recording.cfg"  # damaged
"$e2e_repo/tools/wine-run.sh" "$e2e_bin/wininspect.exe" shown "初始化..." 90 >"$e2e_shots/check_shown_ms.txt" 2>/dev/null &
timer=$!
sleep 2
e2e_start "$e2e_bin/Quorlin.exe"
program=$e2e_last_pid
e2e_wait_for 'title="quorlwnd" rect=[0-9]*,-200,' 60  # the bar waits above the screen
e2e_wait_for '检查系统\.\.\.' 30
e2e_click 'id=1024 '
e2e_key Return
e2e_wait_for '正在启动主程序\.\.\.' 30
e2e_windows | tr -d '\r' | grep -q '^验证安装文件\.\.\.通过!$' || fail "no line 验证安装文件...通过!"
shot_colours startup_check_passed green
wait "$timer" || fail "the check dialog did not appear and close"
shown_ms=$(tr -d '\r' <"$e2e_shots/check_shown_ms.txt")
echo "check dialog shown for $shown_ms ms"
[ "$shown_ms" -ge 4600 ] && [ "$shown_ms" -le 5600 ] || fail "the check closed after $shown_ms ms, not 5.1 s"
e2e_wait_for 'title="quorlwnd" rect=[0-9]*,0,' 10
kill -0 "$program" || fail "the program ended after a passed check"
e2e_until 10 note_gone || fail "a damaged recording note was kept"
e2e_listing_has 'title="Quorlin' && fail "a message came for a damaged recording note"
e2e_click 'id=2 class="Button"'
e2e_wait_exit "$program" 30 || fail "the program did not end on its close button"
other_cameras - || fail "could not remove the other cameras"

# Without the encoder in the Windows folder.
rm -f "$WINEPREFIX/drive_c/windows/quorlind.exe"
expect_failure startup_check_no_encoder '系统缺少关键的运行文件！' '验证安装文件...'
e2e_install_encoder

# Without the desktop device; the next device installation registers it again.
rm -f "$WINEPREFIX/.quorlin-devices"
e2e_system_tool regsvr32.exe /s /u "$devices_dll" >/dev/null 2>&1 || fail "could not unregister $devices_dll"
expect_failure startup_check_no_device '缺少关键的库文件！' '验证安装文件...///////////////////////////////////////////'
e2e_install_devices
echo "PASS: start-up check"
