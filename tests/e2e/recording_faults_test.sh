#!/usr/bin/env bash
# Faults that must not lose a recording, with the genuine encoder and our capture devices:
#   1. the encoder killed from outside: red "异常终止！", the transport stream kept, playable;
#   2. the output folder removed while recording: a red status, the program still runs;
#   3. the program killed while recording: its next start ends the orphaned encoder and,
#      after the start-up check, copies the transport stream (cut mid-packet, as a crash
#      leaves it) into a playable MP4, naming it in a message; a second start meanwhile is
#      refused;
#   4. the disk filling up while recording: red "异常终止！", what was written stays readable;
#   5. the disk filling up during the copy into the final file: the transport stream is kept
#      and the message names it;
#   6. a read-only output folder: red "异常终止！", the program still runs.
# The output folder is T:\rec. The drive T: is a folder of this test; for the disk cases a small
# tmpfs is mounted on it (that needs root: without it those cases are skipped, saying so).
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display
e2e_install_encoder
e2e_install_devices

drive=$(mktemp -d /tmp/quorlin-faults.XXXXXX)
out_win='T:\rec'
out=$drive/rec
mounted=""
faults_cleanup() {
  e2e_cleanup  # the programs end first, so that nothing holds a file on the mount
  if [ -n "$mounted" ]; then umount "$drive" 2>/dev/null || umount -l "$drive" || true; fi
  rm -f "$WINEPREFIX/dosdevices/t:"
  rm -rf "$drive"
}
trap faults_cleanup EXIT
trap 'exit 1' TERM INT HUP  # a stopped test still leaves no mount behind
ln -sfn "$drive" "$WINEPREFIX/dosdevices/t:"
mkdir -p "$out"
# The test camera's moving picture in the camera window and the test microphone's tone give
# the encoder something to write from the first seconds on.
e2e_settings output_folder="$out_win" sound_source=0 microphone_name="Quorlin Test Microphone" save_format=0 \
  frame_rate=15 video_width=0 video_height=0 video_bitrate=2000 audio_bitrate=128 live_enabled=0 \
  hide_after_start=0 camera_name="Quorlin Test Camera" camera_width=0 camera_height=0

# show_bar: waits for the bar at the top edge and opens the camera window from it.
show_bar() {
  e2e_wait_bar_ready
  sleep 1
  e2e_click_until 'id=1015 class="Button"' e2e_listing_has 'class="#32770" title="" rect='
}

# press_start PATTERN: presses Start until the status matches.
press_start() { e2e_click_until 'id=1001 class="Button"' e2e_status_matches "$1"; }

# record_for SECONDS: starts a recording and waits until the bar has shown that many seconds.
record_for() {
  press_start '^正在录制'
  e2e_wait_status "^正在录制 00:00:(0[$1-9]|[1-5][0-9])" 60
}

# record_until_written: starts a recording and waits until the encoder has written its first
# 256 KB to the disk (it keeps that much to itself, and a killed encoder loses it).
ts_written() { [ -n "$(find "$out" -name '*.ts' -size +255k)" ]; }
record_until_written() {
  press_start '^正在录制'
  e2e_until 60 ts_written || fail "the recording did not reach 256 KB on the disk: $(ls -l "$out")"
}

# The colour of the status text: red, green, or none when it shows neither.
status_colour() {
  local line rect
  line=$(e2e_windows | grep -m1 'id=1002 class="Static"')
  rect=$(sed -n 's/.* rect=\([-0-9]*,[-0-9]*,[-0-9]*,[-0-9]*\).*/\1/p' <<<"$line")
  import -window root "$e2e_shots/faults_status.png"
  python3 - "$e2e_repo/tests/e2e" "$e2e_shots/faults_status.png" "$rect" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
from media_check import decode_frame
width, _, rgb = decode_frame(sys.argv[2])
left, top, right, bottom = map(int, sys.argv[3].split(","))
counts = {"red": 0, "green": 0}
for y in range(top, bottom):
    for x in range(left, right):
        r, g, b = rgb[(y * width + x) * 3:(y * width + x) * 3 + 3]
        if r > 180 and g < 90 and b < 90:
            counts["red"] += 1
        elif g > 180 and r < 90 and b < 90:
            counts["green"] += 1
best = max(counts, key=counts.get)
print(best if counts[best] >= 20 else "none")
PY
}

expect_red_status() {
  e2e_wait_status "$1" 60
  local colour
  colour=$(status_colour)
  [ "$colour" = red ] || fail "the status '$(e2e_status)' is $colour, not red"
}

# playable FILE MIN_SECONDS: the file holds H.264 video of at least that length.
playable() {
  local probe
  probe=$(ffprobe -v error -show_entries stream=codec_name:format=duration -of csv=p=0 "$1" 2>&1) ||
    fail "$1 ($(stat -c %s "$1") bytes) cannot be read: $probe"
  echo "$(basename "$1"): $(tr '\n' ' ' <<<"$probe")"
  grep -qx h264 <<<"$probe" || fail "no H.264 video in $1"
  python3 -c "import sys; sys.exit(0 if float('$(tail -n 1 <<<"$probe")') >= $2 else 1)" ||
    fail "$1 holds less than $2 s"
}

# The transport stream of the one recording in the output folder.
recording_in() {
  local files
  files=$(ls "$1" | grep -E '^[0-9]{14}(_[0-9]+)?\.ts$' || true)
  [ -n "$files" ] && [ "$(wc -l <<<"$files")" = 1 ] || fail "expected one recording in $1: $(ls -l "$1")"
  echo "$1/$files"
}

# The number of encoders running in this test's Wine prefix (Wine's tasklist lists nothing).
encoders_running() {
  local pid count=0
  for pid in $(pgrep -f '^quorlind\.exe' || true); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && count=$((count + 1))
  done
  echo $count
}
no_encoder_left() { [ "$(encoders_running)" = 0 ]; }

expect_alive() { kill -0 "$program" 2>/dev/null || fail "the program ended: $1"; }

# mount_disk SIZE: a fresh tmpfs of that size as the drive, with the output folder on it.
mount_disk() {
  if [ -n "$mounted" ]; then umount "$drive"; fi
  mount -t tmpfs -o "size=$1" quorlin-faults "$drive" 2>/dev/null || return 1
  mounted=1
  mkdir -p "$out"
}

e2e_start "$e2e_bin/Quorlin.exe"
program=$e2e_last_pid
show_bar

# 1. The encoder killed from outside.
record_until_written
e2e_system_tool taskkill.exe /f /im quorlind.exe >/dev/null 2>&1 || fail "taskkill found no encoder"
expect_red_status '^异常终止！$'
e2e_screenshot faults_encoder_killed
sleep 2  # a copy would have started by now
ts=$(recording_in "$out")
playable "$ts" 1
[ -z "$(find "$out" -name '*_rec.*')" ] || fail "a copy ran after the encoder was killed: $(ls "$out")"
recorded_bytes=$(stat -c %s "$ts")
echo "encoder killed: red 异常终止！, kept $(ls "$out")"
rm -f "$out"/*

# 2. The output folder removed while recording.
record_for 2
rm -rf "$out"
e2e_click 'id=1001 class="Button"'
expect_red_status '^录制文件已丢失！'
e2e_screenshot faults_folder_removed
expect_alive "after its output folder was removed"
echo "folder removed: red '$(e2e_status)'"
mkdir -p "$out"

# 3. The program killed while recording; the next start ends its encoder and finishes the
# recording. The transport stream is cut inside a packet, as a crash leaves it.
record_until_written
e2e_system_tool taskkill.exe /f /im Quorlin.exe >/dev/null 2>&1 || fail "taskkill found no program"
e2e_wait_exit "$program" 20 || fail "the program did not end when killed"
[ "$(encoders_running)" = 1 ] || fail "the encoder should outlive the killed program"
e2e_start "$e2e_bin/Quorlin.exe"
program=$e2e_last_pid
e2e_wait_for 'text="系统中存在录制进程残留，将自动清理！"' 60
e2e_screenshot faults_leftover_message
ts=$(recording_in "$out")
e2e_click 'class="Button" text="确定"'
e2e_until 20 no_encoder_left || fail "the orphaned encoder still runs after the start"
truncate -s $(($(stat -c %s "$ts") / 188 * 188 - 100)) "$ts"
e2e_wait_for 'title="初始化\.\.\."' 30
e2e_start "$e2e_bin/Quorlin.exe"
second=$e2e_last_pid
e2e_wait_for 'text="程序的另一个实例已经在运行，当前进程将退出！"' 60
e2e_click 'class="Button" text="确定" rect=[-0-9,]* visible=1'
e2e_wait_exit "$second" 20 || fail "a second start while the recording was being finished did not end"
final=${ts%.ts}_rec.mp4
e2e_wait_for "text=\"上次录制没有正常结束，已为您生成录制文件：" 60
e2e_windows | tr -d '\r' | grep -qF "${final##*/}" || fail "the message does not name ${final##*/}"
e2e_screenshot faults_recording_finished
e2e_click 'class="Button" text="确定" rect=[-0-9,]* visible=1'
[ ! -e "$ts" ] || fail "the finished recording's transport stream is still there"
playable "$final" 1
[ "$(ls "$out")" = "${final##*/}" ] || fail "other files in the output folder: $(ls "$out")"
show_bar
echo "program killed: the next start ended its encoder and finished $(ls "$out")"
rm -f "$out"/*

# 4. The disk fills up while recording: a disk of one and a half times what the encoder first
# wrote in case 1.
if ! mount_disk $((recorded_bytes * 3 / 2)); then
  echo "SKIP: the disk-full and read-only cases: a tmpfs cannot be mounted here (that needs root)"
  echo "PASS: recording faults (without the disk cases)"
  exit 0
fi
press_start '^(正在录制|异常终止)'
expect_red_status '^异常终止！$'
e2e_screenshot faults_disk_full
ts=$(recording_in "$out")
playable "$ts" 0.5
echo "disk full while recording: red 异常终止！, kept $(ls "$out"), $(df -h --output=size,avail "$drive" | tail -n 1)"

# 5. The disk fills up during the copy: once the recording has written its first 256 KB, a file
# takes all the room but 60 % of that, so the recording is stopped before it needs more and
# its copy does not fit.
mount_disk 64m
record_until_written
ts=$(recording_in "$out")
free=$(df -B1 --output=avail "$drive" | tail -n 1)
head -c $((free - $(stat -c %s "$ts") * 6 / 10)) /dev/zero >"$drive/filler"
e2e_click 'id=1001 class="Button"'
e2e_wait_for 'text="生成最终文件失败，录制内容仍保存在文件：' 60
e2e_screenshot faults_copy_disk_full
e2e_click 'class="Button" text="确定"'
e2e_wait_status '^已停止 ' 20
[ -f "$ts" ] || fail "the recording $ts was deleted after a copy that did not fit"
playable "$ts" 2
echo "disk full during the copy: message names $(basename "$ts"), status '$(e2e_status)', kept $(ls "$out")"

# 6. A read-only output folder.
rm -f "$drive/filler" "$out"/*
mount -o remount,ro "$drive"
press_start '^(正在录制|异常终止)'
expect_red_status '^异常终止！$'
expect_alive "with a read-only output folder"
[ -z "$(ls "$out")" ] || fail "files appeared in a read-only folder: $(ls "$out")"
echo "read-only folder: red 异常终止！, nothing written"

e2e_click 'id=2 class="Button"'
e2e_wait_exit "$program" 30 || fail "the close button did not end the idle program"
echo "PASS: recording faults"
