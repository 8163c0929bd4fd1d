#!/usr/bin/env bash
# Pausing and resuming a file recording, through the genuine encoder with the system sound
# playing tone_flash's pulses and clock_window showing the time in the recorded area:
#   1. about a minute recorded: three pauses of 5 s (F7, the bar's pause button, F7), and a burst of
#      twenty F7 presses in a second; while paused the bar says so (screenshot); the final MP4
#      holds exactly the recorded stretches, each resume back within 200 ms, sound and picture
#      in step after the last (pause_check.py);
#   2. the program killed while paused: the next start finishes that recording.
# With a second argument, PAIRS, only a recording with PAIRS pauses of 0.5 s after 0.5 s each
# (tools/bench/ runs fifty).
source "$(dirname "$0")/e2e_lib.sh" "$1"
pairs=${2:-}
e2e_start_sound
e2e_start_display
e2e_install_encoder
e2e_install_devices

out_win='C:\quorlin-pause'
out=$(e2e_fresh_folder "$out_win")
presses_win='C:\quorlin-pause-presses\presses.txt'
presses=$(e2e_fresh_folder 'C:\quorlin-pause-presses')/presses.txt
e2e_settings output_folder="$out_win" sound_source=1 save_format=0 frame_rate=25 video_width=0 video_height=0 \
  live_enabled=0 hide_after_start=0

e2e_start "$e2e_bin/Quorlin.exe"
e2e_wait_bar_ready
e2e_wait_status '^就绪 - 全屏模式$'
# A 320x240 area (set after the start, which clears it) around tone_flash's window
# (100,300 240x180) and clock_window (344,300 48x48): a small picture leaves the encoder's
# time to the sound.
for value in start_x=80 start_y=280 capture_width=320 capture_height=240; do
  e2e_system_tool reg.exe add 'HKCU\Software\screen-capture-recorder' /v "${value%=*}" /t REG_DWORD \
    /d "${value#*=}" /f >/dev/null 2>&1 || fail "cannot set the capture area value $value"
done
clock_log=$(mktemp)
"$e2e_repo/tools/wine-run.sh" "$e2e_bin/clock_window.exe" 344 300 "$presses_win" >"$clock_log" 2>&1 &
e2e_pids+=($!)
e2e_until 30 grep -q showing "$clock_log" || fail "clock_window did not start: $(cat "$clock_log")"

pause_button='id=1021 class="Button"'
start_recording() {
  : >"$presses"
  e2e_click_until 'id=1001 class="Button"' e2e_status_matches '^正在录制'
  e2e_wait_text '正在录制 00:' 60 >/dev/null
}
# stop_recording: Start pressed; the new final MP4 goes to $recorded.
stop_recording() {
  local before base deadline=$((SECONDS + 60))
  before=$(ls "$out")
  e2e_click 'id=1001 class="Button"'
  while [ $SECONDS -lt $deadline ]; do
    base=$(ls "$out" | { grep -vxF -- "$before" || true; } | sed -n 's/^\([0-9]\{14\}\)_rec\.mp4$/\1/p' | head -n 1)
    if [ -n "$base" ] && [ ! -e "$out/$base.ts" ] && e2e_status_matches '^已停止 '; then break; fi
    sleep 0.5
  done
  [ -n "$base" ] && [ ! -e "$out/$base.ts" ] || fail "no new final MP4 in $out: $(ls "$out")"
  recorded=$out/${base}_rec.mp4
  echo "recorded $recorded"
}
paused() { e2e_status_matches '^已暂停 [0-9:.]{11}$'; }
recording() { e2e_status_matches '^正在录制 [0-9:.]{11}$'; }
# pause_check [FLASH]: the recording against the presses; with FLASH, the A/V offset too.
pause_check() { python3 "$e2e_repo/tests/e2e/pause_check.py" "$recorded" "$presses" 264 20 "$@"; }

if [ -n "$pairs" ]; then
  echo "== $pairs pauses of 0.5 s after 0.5 s each"
  start_recording
  for _ in $(seq "$pairs"); do
    sleep 0.5
    e2e_key F7
    sleep 0.5
    e2e_key F7
  done
  sleep 2
  stop_recording
  pause_check || fail "the recording with $pairs pauses is not what was recorded"
  echo "PASS: $pairs pauses"
  exit 0
fi

echo "== three pauses of 5 s and a burst of F7 in a minute"
"$e2e_repo/tools/wine-run.sh" "$e2e_bin/tone_flash.exe" pulses 85 2010 200 100 300 240 180 >/dev/null 2>&1 &
player=$!
e2e_pids+=("$player")
start_recording
sleep 8
e2e_key F7
e2e_until 2 paused || fail "F7 did not pause; the status reads '$(e2e_status)'"
shown=$(e2e_status)
e2e_listing_has "$pause_button.*enabled=1" || fail "the pause button is not there to resume with"
e2e_screenshot pause_bar
sleep 2
[ "$(e2e_status)" = "$shown" ] || fail "the paused time went on: '$shown', then '$(e2e_status)'"
sleep 3
e2e_key F7
e2e_until 2 recording || fail "F7 did not resume; the status reads '$(e2e_status)'"
sleep 8
e2e_click "$pause_button"
e2e_until 2 paused || fail "the pause button did not pause; the status reads '$(e2e_status)'"
# The pointer leaves the bar, so that no tooltip is up at the next click: without a window
# manager on the test display, Wine's X11 driver waits 2 s for one to confirm that a popup was
# hidden before the bar's thread handles the click.
xdotool mousemove 640 700
sleep 5
e2e_click "$pause_button"
e2e_until 2 recording || fail "the pause button did not resume; the status reads '$(e2e_status)'"
sleep 6
xdotool key --delay 50 $(printf 'F7 %.0s' $(seq 20))
e2e_until 2 recording || fail "after twenty presses of F7 the status reads '$(e2e_status)'"
sleep 6
e2e_key F7
sleep 5
e2e_key F7
e2e_until 2 recording || fail "F7 did not resume; the status reads '$(e2e_status)'"
sleep 22
stop_recording
pause_check 140 110 || fail "the paused recording is not what was recorded"

echo "== the program killed while paused"
# The whole screen, so that the encoder soon writes some of the recording (in blocks of 32 KB).
e2e_system_tool reg.exe delete 'HKCU\Software\screen-capture-recorder' /f >/dev/null 2>&1 ||
  fail "cannot clear the capture area"
start_recording
e2e_until 30 bash -c "ls -s '$out'/*.ts 2>/dev/null | grep -qv '^0 '" || fail "the recording file stays empty"
sleep 2
e2e_key F7
e2e_until 2 paused || fail "F7 did not pause; the status reads '$(e2e_status)'"
sleep 1
paused_at=$(e2e_status)
e2e_system_tool taskkill.exe /f /im Quorlin.exe >/dev/null 2>&1 || fail "taskkill found no program"
ts=$(ls "$out"/*.ts 2>/dev/null | head -n 1)
[ -n "$ts" ] || fail "no recording file was left by the killed program: $(ls "$out")"
sleep 2
e2e_start "$e2e_bin/Quorlin.exe"
# The paused encoder is still there: the start removes it, then finishes its recording.
e2e_wait_for 'text="系统中存在录制进程残留，将自动清理！"' 60
e2e_click 'class="Button" text="确定"'
e2e_wait_for 'text="上次录制没有正常结束，已为您生成录制文件' 60
final=${ts%.ts}_rec.mp4
[ -s "$final" ] && [ ! -e "$ts" ] || fail "the recording paused when the program was killed was not finished"
# The killed encoder cut its last packet of each stream short, as any crash does; the rest
# decodes cleanly. (Decoded in the file's own time base: in that of its average frame rate,
# which a dropped frame lowers, two frames a slot apart can round to one instant.)
packets() {
  ffprobe -v error -select_streams "$1" -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$final"
}
errors=$(ffmpeg -v error -i "$final" -map 0 -c copy -frames:v $(($(packets v) - 1)) -frames:a $(($(packets a) - 1)) \
  -f matroska - | ffmpeg -v error -i - -enc_time_base -1 -f null - 2>&1 | head -n 3)
[ -z "$errors" ] || fail "the finished recording does not decode: $errors"
echo "finished after the kill: $final, $(ffprobe -v error -show_entries format=duration -of csv=p=0 "$final") s" \
  "(the status read '$paused_at')"
echo "PASS: pause and resume"
