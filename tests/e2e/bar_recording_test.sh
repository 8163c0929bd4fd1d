#!/usr/bin/env bash
# Real recordings from the Start button to the final file, driven with the mouse, through the
# genuine encoder and our capture devices:
#   1. MP4, the whole screen with the system sound: H.264 at the screen's size, AAC 48 kHz,
#      as long as the bar recorded, and a window placed on the screen seen at its place;
#   2. TS, the area given in the capture device's registry values, with the test microphone:
#      exactly that part of the screen, and its 1000 Hz tone.
# Meanwhile the exit is refused while recording, and the close button or Escape ends the
# idle program.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display
e2e_install_encoder
e2e_install_devices

out_win='C:\quorlin-e2e'
out=$(e2e_fresh_folder "$out_win")
e2e_settings output_folder="$out_win" sound_source=1 save_format=0 frame_rate=15 video_width=0 video_height=0 \
  live_enabled=0 hide_after_start=0

area_key='HKCU\Software\screen-capture-recorder'

# Something known to find in the recordings, clear of the bar (top middle) and of message
# boxes (centre): a blue band down the left of the screen and a green window over its edge.
blue=2040C0 green=20C040
e2e_start "$e2e_bin/colour_window.exe" 0 0 320 800 $blue
e2e_wait_for 'title="colour_window" rect=0,0,320,800'
e2e_start "$e2e_bin/colour_window.exe" 200 150 200 150 $green
e2e_wait_for 'title="colour_window" rect=200,150,400,300'

e2e_start "$e2e_bin/Quorlin.exe"
program=$e2e_last_pid
e2e_wait_bar_ready
e2e_wait_status '^就绪 - 全屏模式$'
e2e_screenshot bar_idle
# Full screen: none of the capture device's area values (an earlier run may have left them).
e2e_system_tool reg.exe delete "$area_key" /f >/dev/null 2>&1 || true

# record NAME SUFFIX: one recording of 5 s from the first progress report; the final file
# goes to $recorded, the recording time the bar shows at the stop press to $recorded_seconds.
record() {
  local name=$1 suffix=$2 first first_shown stop
  e2e_click_until 'id=1001 class="Button"' e2e_status_matches '^正在录制'
  first_shown=$(e2e_wait_text '正在录制 00:' 60 | sed 's/^正在录制 //')
  first=$(date +%s.%N)
  e2e_screenshot "bar_recording_$name"

  # Closing is refused while the recording runs.
  e2e_click 'class="Static" text="led"'
  e2e_key Escape
  e2e_wait_for 'text="节目录制中，请先停止录制再退出！"' 20
  e2e_click 'class="Button" text="确定"'
  kill -0 "$program" || fail "the program ended while recording"

  sleep $(python3 -c "print(max(0.0, 5 - ($(date +%s.%N) - $first)))")
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
  recorded=$out/$base$suffix
  recorded_seconds=$(python3 -c "h, m, s = '$first_shown'.split(':'); print(int(h) * 3600 + int(m) * 60 + float(s) + $stop - $first)")
}

# check_streams FILE WIDTH HEIGHT SECONDS: H.264 of that size and AAC at 48 kHz, as long as
# the bar showed at the stop press.
check_streams() {
  python3 - "$@" <<'PY' || fail "$1 is not the recording expected"
import json, subprocess, sys
path, width, height, expected = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), float(sys.argv[4])
probe = json.loads(subprocess.check_output(
    ["ffprobe", "-v", "error", "-of", "json", "-show_streams", "-show_format", path]))
video = [s for s in probe["streams"] if s["codec_type"] == "video"]
audio = [s for s in probe["streams"] if s["codec_type"] == "audio"]
duration = float(probe["format"]["duration"])
print("%s: %s, video %s, audio %s, %.2f s (the bar showed %.2f s at the stop press)" % (
    path, probe["format"]["format_name"], ["%s %sx%s" % (v["codec_name"], v["width"], v["height"]) for v in video],
    ["%s %s Hz" % (a["codec_name"], a["sample_rate"]) for a in audio], duration, expected))
# Within 1 s: the stop press reaches the encoder at once, and the encoder then ends its file.
ok = ([(v["codec_name"], v["width"], v["height"]) for v in video] == [("h264", width, height)]
      and [(a["codec_name"], a["sample_rate"]) for a in audio] == [("aac", "48000")]
      and abs(duration - expected) <= 1.0)
sys.exit(0 if ok else 1)
PY
}

media_check() { python3 "$e2e_repo/tests/e2e/media_check.py" "$@"; }

record mp4 _rec.mp4
check_streams "$recorded" 1280 800 "$recorded_seconds"
# In the middle of the recording: the green window's middle and both sides of its left and
# top edges.
media_check pixels "$recorded" "$e2e_shots/recorded_full_screen.png" \
  300,225,$green 204,225,$green 196,225,$blue 300,154,$green 300,146,$blue 100,600,$blue ||
  fail "the full-screen recording does not show the screen"

e2e_settings save_format=1 sound_source=0 microphone_name="Quorlin Test Microphone"
# The running program keeps the settings it read at start; a new start reads the new ones.
e2e_click 'id=2 class="Button"'
e2e_wait_exit "$program" 30 || fail "the close button did not end the idle program"
e2e_start "$e2e_bin/Quorlin.exe"
program=$e2e_last_pid
e2e_wait_bar_ready
# The capture area, as the recording frame would give it for its window at (100,50)-(300,250);
# after the start, which clears the values.
for value in start_x=104 start_y=54 capture_width=192 capture_height=192; do
  e2e_system_tool reg.exe add "$area_key" /v "${value%=*}" /t REG_DWORD /d "${value#*=}" /f >/dev/null 2>&1 ||
    fail "cannot set the capture area value $value"
done
record ts _rec.ts
check_streams "$recorded" 192 192 "$recorded_seconds"
media_check matches "$recorded" "$e2e_shots/recorded_area.png" "$e2e_shots/bar_recording_ts.png" 104 54 ||
  fail "the area recording does not show the area's part of the screen"
media_check pixels "$recorded" "$e2e_shots/recorded_area.png" 100,100,$green 92,100,$blue 100,92,$blue ||
  fail "the area recording is not placed on the area"
media_check tone "$recorded" 1000 || fail "the test microphone's tone is not in the recording"
e2e_system_tool reg.exe delete "$area_key" /f >/dev/null 2>&1

# The Start button had the focus and was disabled during the copy: the bar still takes
# Escape after a click on its background.
e2e_click 'class="Static" text="led"'
e2e_key Escape
e2e_wait_exit "$program" 30 || fail "Escape did not end the idle program after a recording"
echo "PASS: recordings from the bar"
