#!/usr/bin/env bash
# Many short recordings in a row, each started and stopped with the bar's Start button,
# through the genuine encoder and our capture devices:
#   recording_soak_test.sh BUILD_DIR [COUNT] [SECONDS]   (10 recordings of 3 s by default)
# Every recording ends as a playable MP4, about as long as the bar showed at the stop press
# and no longer than the time between the presses (plus up to 4 s for a stop press handled
# late: such late stops are counted); no ".ts" is left and no encoder is left running; and the
# program's handles, threads and private memory, read while it is idle after each
# recording, stay flat: the last recordings (ten, or a third of a shorter round) hold no
# more than the first ones. Prints one line per recording and a summary, which
# tools/bench/recording_soak_bench.sh reports.
source "$(dirname "$0")/e2e_lib.sh" "$1"
count=${2:-10}
seconds=${3:-3}
e2e_start_display
e2e_install_encoder
e2e_install_devices

out_win='C:\quorlin-soak'
out=$(e2e_fresh_folder "$out_win")
e2e_settings output_folder="$out_win" sound_source=1 save_format=0 frame_rate=15 video_width=0 video_height=0 \
  live_enabled=0 hide_after_start=0
samples=$e2e_shots/soak_samples.txt
: >"$samples"

e2e_start "$e2e_bin/Quorlin.exe"
program=$e2e_last_pid
e2e_wait_bar_ready
e2e_wait_status '^就绪 - 全屏模式$'
windows_pid=$(e2e_windows | sed -n 's/^window .* pid=\([0-9]*\) class="[^"]*" title="quorlwnd".*/\1/p' | head -n 1)
[ -n "$windows_pid" ] || fail "no process id for the bar"

# The bar stays where it is, so Start is pressed at its place at once: the press times are
# then the moments the program got them.
start_button=$(e2e_middle 'id=1001 class="Button"')
press_start() { xdotool mousemove $start_button click 1; }

# start_recording: presses Start until the status shows a recording time (a press right after
# the bar changed its buttons is sometimes lost under Wine); $pressed is when the press that
# counted happened, $first_shown the first time shown, $first when it was seen.
start_recording() {
  for attempt in 1 2; do
    pressed=$(date +%s.%N)
    press_start
    if first_shown=$(e2e_wait_text '正在录制 00:' 30 2>/dev/null); then
      first=$(date +%s.%N)
      first_shown=${first_shown#正在录制 }
      return 0
    fi
    sleep 1
  done
  fail "Start did not start a recording; the status reads '$(e2e_status)'"
}

linux_pid=$(e2e_wine_processes Quorlin.exe | head -n 1)
[ -n "$linux_pid" ] || fail "no Wine process for Quorlin.exe"

late_stops=0
for i in $(seq "$count"); do
  start_recording
  sleep "$(python3 -c "print(max(0.0, $seconds - ($(date +%s.%N) - $first)))")"
  stop=$(date +%s.%N)
  press_start
  # The copy's end: one more final file, no ".ts", and the bar idle again. (A stop press that
  # was lost is pressed again.)
  deadline=$((SECONDS + 60)) again=$((SECONDS + 10))
  while :; do
    finals=$(ls "$out" | grep -c '_rec\.mp4$' || true)
    if [ "$finals" = "$i" ] && ! ls "$out" | grep -q '\.ts$' && e2e_status_matches '^已停止 '; then break; fi
    if [ $SECONDS -ge $again ] && e2e_status_matches '^正在录制 '; then
      echo "recording $i: the stop press was lost, pressing again"
      stop=$(date +%s.%N)
      press_start
      again=$deadline
    fi
    [ $SECONDS -lt $deadline ] || fail "recording $i: no final file after the stop: $(ls "$out"); status '$(e2e_status)'"
    sleep 0.2
  done
  final=$(ls -t "$out" | grep '_rec\.mp4$' | head -n 1)
  # About what the bar showed at the stop press, at most the time between the two presses:
  # within a second each way, as the bar's time is read up to half a second late and the
  # encoder's time lags behind the capture when the machine is busy. A late stop (about 2 s)
  # is Wine's, not the program's: without a window manager on the test display, Wine's X11
  # driver waits 2 s for one to confirm that a popup was hidden, and the bar's thread handles
  # the press only then. Such late stops are counted.
  shown=$(python3 -c "h, m, s = '$first_shown'.split(':'); print('%.2f' % (int(h) * 3600 + int(m) * 60 + float(s) + $stop - $first))")
  between=$(python3 -c "print('%.2f' % ($stop - $pressed))")
  duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$out/$final") ||
    fail "recording $i: $final is not playable"
  python3 -c "import sys; sys.exit(0 if $shown - 1.0 <= $duration <= $between + 4.0 else 1)" ||
    fail "recording $i: $final lasts $duration s; the bar showed $shown s at the stop press, $between s after Start"
  if python3 -c "import sys; sys.exit(0 if $duration > $between + 1.0 else 1)"; then
    late_stops=$((late_stops + 1))
    echo "recording $i: a late stop, the recording went on $(python3 -c "print('%.2f' % ($duration - $between))") s past the stop press"
  fi
  leftovers=$(e2e_wine_processes quorlind.exe)
  [ -z "$leftovers" ] || fail "recording $i: an encoder is still running after the copy (Wine process $leftovers)"
  resources=$("$e2e_repo/tools/wine-run.sh" "$e2e_bin/wininspect.exe" resources "$windows_pid" 2>/dev/null | tr -d '\r') ||
    fail "cannot read the program's handles and threads"
  # The heap and other private memory of the program's Wine process.
  resources="$resources private_kb=$(awk '$1 == "RssAnon:" { print $2 }' "/proc/$linux_pid/status")"
  echo "$resources" >>"$samples"
  echo "recording $i: $final, $duration s (bar: $shown s, presses $between s apart), status '$(e2e_status)', $resources"
done

kill -0 "$program" 2>/dev/null || fail "the program ended during the soak"
# First against last: a few handles or threads more once (the system's own caches) are
# not a leak; one per recording is.
python3 - "$samples" "$count" <<'PY' || fail "the program's resources grew over the recordings"
import sys
rows = [dict(field.split("=") for field in line.split()) for line in open(sys.argv[1]) if line.strip()]
count = int(sys.argv[2])
window = max(1, min(10, count // 3))
first, last = rows[:window], rows[-window:]
ok = True
for name, slack in (("handles", 4), ("threads", 1), ("private_kb", 1024)):
    before = max(int(r[name]) for r in first)
    after = max(int(r[name]) for r in last)
    mean_before = sum(int(r[name]) for r in first) / window
    mean_after = sum(int(r[name]) for r in last) / window
    grew = after > before + slack
    ok = ok and not grew
    print("%s: first %d recordings max %d (mean %.1f), last %d max %d (mean %.1f)%s"
          % (name, window, before, mean_before, window, after, mean_after, "  GREW" if grew else ""))
sys.exit(0 if ok else 1)
PY
e2e_click 'id=2 class="Button"'
e2e_wait_exit "$program" 30 || fail "the close button did not end the idle program"
echo "PASS: $count recordings of $seconds s in a row ($late_stops late stops)"
