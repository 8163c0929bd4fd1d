#!/usr/bin/env bash
# A real recording from the Start button to the final file, driven with the mouse: the
# encoder stand-in records the virtual display with ffmpeg. Then a TS-format recording,
# the exit refused while recording, and the close button or Escape ending the idle program.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display

e2e_start_standin 47901

out_win='C:\quorlin-e2e'
out=$(e2e_unix_path "$out_win")
rm -rf "$out"
mkdir -p "$out"
e2e_install_encoder "$e2e_bin/standin/quorlind.exe"
e2e_settings output_folder="$out_win" sound_source=1 save_format=0 frame_rate=15 live_enabled=0 hide_after_start=0

e2e_start "$e2e_bin/Quorlin.exe"
program=$e2e_last_pid
e2e_wait_for 'title="quorlwnd" rect=[0-9]*,0,'  # placed at the top edge after the start-up check
e2e_wait_status '^就绪 - 全屏模式$'
e2e_screenshot bar_idle

# recording: state_name MP4_SUFFIX
record() {
  local name=$1 suffix=$2 first stop
  e2e_click 'id=1001 class="Button"'
  e2e_wait_text '正在录制 00:' 60 >/dev/null
  first=$(date +%s.%N)
  e2e_screenshot "bar_recording_$name"

  # Closing is refused while the recording runs.
  e2e_click 'class="Static" text="led"'
  e2e_key Escape
  e2e_wait_for 'text="节目录制中，请先停止录制再退出！"' 20
  e2e_click 'class="Button" text="确定"'
  kill -0 "$program" || fail "the program ended while recording"

  sleep 4
  stop=$(date +%s.%N)
  e2e_click 'id=1001 class="Button"'
  e2e_wait_status '^(检查格式|已停止 )' 30
  e2e_screenshot "bar_remuxing_$name"
  local base deadline=$((SECONDS + 60))
  while [ $SECONDS -lt $deadline ]; do
    base=$(ls "$out" | sed -n "s/^\\([0-9]\\{14\\}\\)$suffix\$/\\1/p" | head -n 1)
    if [ -n "$base" ] && [ ! -e "$out/$base.ts" ] && e2e_status | grep -q '^已停止 '; then break; fi
    sleep 0.5
  done
  [ -n "$base" ] || fail "no final file *$suffix in $out: $(ls "$out")"
  [ ! -e "$out/$base.ts" ] || fail "the recording file $base.ts was not deleted after the copy"
  e2e_screenshot "bar_stopped_$name"
  echo "status after the copy: $(e2e_status)"

  python3 - "$out/$base$suffix" "$first" "$stop" <<'PY'
import json, subprocess, sys
path, expected = sys.argv[1], float(sys.argv[3]) - float(sys.argv[2])
probe = json.loads(subprocess.check_output(
    ["ffprobe", "-v", "error", "-of", "json", "-show_streams", "-show_format", path]))
video = [s for s in probe["streams"] if s["codec_type"] == "video"]
audio = [s for s in probe["streams"] if s["codec_type"] == "audio"]
duration = float(probe["format"]["duration"])
print("%s: %s, video %s, audio %s, %.2f s (first progress to stop press %.2f s)" % (
    path, probe["format"]["format_name"], [v["codec_name"] for v in video], [a["codec_name"] for a in audio],
    duration, expected))
# Within 1 s, plus the half second by which the launcher may pass the stop on late (it looks
# at the request between its 500 ms waits for the encoder).
ok = ([v["codec_name"] for v in video] == ["h264"] and [a["codec_name"] for a in audio] == ["aac"]
      and abs(duration - expected) <= 1.5)
sys.exit(0 if ok else 1)
PY
}

record mp4 _rec.mp4
e2e_settings save_format=1
# The running program keeps the settings it read at start; a new start reads the new ones.
e2e_click 'id=2 class="Button"'
e2e_wait_exit "$program" 30 || fail "the close button did not end the idle program"
e2e_start "$e2e_bin/Quorlin.exe"
program=$e2e_last_pid
e2e_wait_for 'title="quorlwnd" rect=[0-9]*,0,'
record ts _rec.ts

# The Start button had the focus and was disabled during the copy: the bar still takes
# Escape after a click on its background.
e2e_click 'class="Static" text="led"'
e2e_key Escape
e2e_wait_exit "$program" 30 || fail "Escape did not end the idle program after a recording"
echo "PASS: recordings from the bar"
