#!/usr/bin/env bash
# A "quorlind.exe" planted beside the program and in its current folder (where the system's
# search for a bare name looks before the Windows folder) is never run: a recording runs the
# genuine encoder the start-up check found in the Windows folder, and with that one gone the
# run fails in red ("创建进程失败") instead of falling back on a planted one.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display
e2e_install_encoder
e2e_install_devices

root_win='C:\quorlin-planted'
root=$(e2e_fresh_folder "$root_win")
mkdir -p "$root/app" "$root/current" "$root/out"
# The program as installed in a folder of its own, with the planted copies: the fake encoder,
# which logs every run of it.
cp -r "$e2e_bin/Quorlin.exe" "$e2e_bin/vexhook.dll" "$e2e_bin/skin" "$e2e_bin/manual" "$root/app/"
cp "$e2e_bin/fake_encoder.exe" "$root/app/quorlind.exe"
cp "$e2e_bin/fake_encoder.exe" "$root/current/quorlind.exe"
planted_log=$root/planted-runs.log
export QUORLIN_FAKE_ENCODER="--args-file $root_win\\planted-runs.log"
none_planted_run() {
  [ ! -e "$planted_log" ] || fail "a planted quorlind.exe was run: $(cat "$planted_log")"
}
e2e_settings output_folder="$root_win\\out" sound_source=1 save_format=0 frame_rate=15 video_width=0 \
  video_height=0 live_enabled=0 hide_after_start=0

cd "$root/current"
e2e_start "$root/app/Quorlin.exe"
program=$e2e_last_pid
cd - >/dev/null
e2e_wait_bar_ready
e2e_wait_status '^就绪 - 全屏模式$'
sleep 1  # settled before the first click

# (A first press lost under Wine is pressed again.)
for attempt in 1 2; do
  e2e_click 'id=1001 class="Button"'
  if e2e_until 30 e2e_status_matches '^正在录制 00:'; then break; fi
  none_planted_run
  [ $attempt = 1 ] && e2e_status_matches '^就绪' || fail "the recording did not start: '$(e2e_status)'"
done
sleep 2
e2e_click 'id=1001 class="Button"'
e2e_until 60 bash -c "ls '$root/out' | grep -q '_rec\\.mp4\$' && ! ls '$root/out' | grep -q '\\.ts\$'" ||
  fail "no final file: $(ls "$root/out")"
e2e_wait_status '^已停止 ' 30
none_planted_run
final=$root/out/$(ls "$root/out" | grep '_rec\.mp4$')
codec=$(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name -of csv=p=0 "$final") ||
  fail "$final is not playable"
[ "$codec" = h264 ] || fail "$final holds '$codec', not the genuine encoder's H.264"
echo "recorded by the encoder in the Windows folder: $final ($codec)"

# Without the verified encoder the planted ones are still not run.
rm -f "$WINEPREFIX/drive_c/windows/quorlind.exe"
e2e_click 'id=1001 class="Button"'
e2e_wait_status '^创建进程失败$' 30
e2e_screenshot planted_encoder_refused
sleep 1
none_planted_run
e2e_click 'id=2 class="Button"'
e2e_wait_exit "$program" 30 || fail "the program did not end after the failed run"
echo "PASS: planted encoders are never run"
