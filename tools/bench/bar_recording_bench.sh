#!/usr/bin/env bash
# Benchmark (not a test): a 60-second recording from the bar under Wine, with the genuine
# encoder and our capture devices, on a private virtual display. Reports
#   - the program's own CPU share (user+system time of Quorlin.exe's Wine process over the
#     recording, as a share of one core) and its memory (resident size: peak over the
#     recording, the process's peak since start, and at the end), and the same for the
#     encoder (the Wine process of quorlind.exe, which runs the capture devices too);
#   - the time from the second press of Start to the final MP4 being complete: the
#     "_rec.mp4" exists and the ".ts" is gone (polled every 10 ms), and the status then
#     reads "已停止 "; and from the press to the copy run's start ("检查格式", polled every
#     20 ms).
#     tools/bench/bar_recording_bench.sh [BUILD_DIR] [SECONDS]
# BUILD_DIR: a Windows build tree that Wine runs here (default build/win64 or build/win32).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$repo/tools/lib.sh"
build=${1:-$repo/build/$(wine_build_kind)}
record_seconds=${2:-60}
source "$repo/tests/e2e/e2e_lib.sh" "$build"
e2e_start_display

e2e_install_encoder
e2e_install_devices
rundir=$(mktemp -d)
trap 'e2e_cleanup; rm -rf "$rundir"' EXIT

out_win='C:\quorlin-bench'
out=$(e2e_unix_path "$out_win")
rm -rf "$out"
mkdir -p "$out"
e2e_settings output_folder="$out_win" sound_source=1 save_format=0 video_width=0 video_height=0 live_enabled=0 \
  hide_after_start=0

clock_ticks=$(getconf CLK_TCK)

wine_process() { e2e_wine_processes "$1" | head -n 1 | grep .; }

# cpu_ticks PID...: user+system clock ticks of the processes (0 for one that is gone).
cpu_ticks() {
  local pid total=0
  for pid in "$@"; do
    # utime and stime: fields 14 and 15 of the stat line, counted after the command's name.
    total=$((total + $(sed 's/^.*) //' "/proc/$pid/stat" 2>/dev/null | awk '{print $12 + $13}' || echo 0)))
  done
  echo "$total"
}

# status_kb PID FIELD: a memory figure of /proc/PID/status in kB (VmRSS, VmHWM).
status_kb() { awk -v f="$2:" '$1 == f { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }

e2e_start "$e2e_bin/Quorlin.exe"
e2e_wait_for 'title="quorlwnd" rect=[0-9]*,0,'
program=$(wine_process 'Quorlin.exe') || fail "no Wine process for Quorlin.exe"
idle_rss=$(status_kb "$program" VmRSS)

sleep 1  # settled: a click right after the bar appears is sometimes lost under Wine
e2e_click 'id=1001 class="Button"'
if ! (e2e_wait_text '正在录制 00:' 30 >/dev/null) 2>/dev/null; then
  e2e_click 'id=1001 class="Button"'
  e2e_wait_text '正在录制 00:' 60 >/dev/null
fi
ts=$(ls "$out" | grep '\.ts$' | head -n 1) || true
[ -n "$ts" ] || fail "no recording file in $out"
encoder=$(wine_process 'quorlind.exe') || fail "no Wine process for the encoder"

# The recording, from the first progress report; the figures are taken over all but its
# last 3 s, when a watcher for the copy run starts polling the bar.
start=$(date +%s.%N)
press_at=$((SECONDS + record_seconds))
program_ticks0=$(cpu_ticks "$program")
encoder_ticks0=$(cpu_ticks "$encoder")
program_peak=0
encoder_peak=0
end_at=$((press_at - 3))
while [ $SECONDS -lt $end_at ]; do
  rss=$(status_kb "$program" VmRSS)
  [ "$rss" -gt "$program_peak" ] && program_peak=$rss
  rss=$(status_kb "$encoder" VmRSS)
  [ "$rss" -gt "$encoder_peak" ] && encoder_peak=$rss
  sleep 1
done
program_ticks1=$(cpu_ticks "$program")
encoder_ticks1=$(cpu_ticks "$encoder")
stop=$(date +%s.%N)
program_rss_end=$(status_kb "$program" VmRSS)
program_hwm=$(status_kb "$program" VmHWM)
e2e_screenshot bench_recording

# The second press, and the final file.
mp4=$out/${ts%.ts}_rec.mp4
copy_seen=$rundir/copy-started
(e2e_wait_text '检查格式' 120 >/dev/null && date +%s.%N >"$copy_seen") &
while [ $SECONDS -lt $press_at ]; do sleep 0.05; done
pressed=$(date +%s.%N)
e2e_click 'id=1001 class="Button"'
deadline=$((SECONDS + 120))
while [ $SECONDS -lt $deadline ]; do
  if [ -e "$mp4" ] && [ ! -e "$out/$ts" ]; then break; fi
  sleep 0.01
done
complete=$(date +%s.%N)
[ -e "$mp4" ] && [ ! -e "$out/$ts" ] || fail "the final file was not complete after 120 s: $(ls "$out")"
status=$(e2e_status)
grep -q '^已停止 ' <<<"$status" || fail "the final file is complete but the status reads '$status'"
program_rss_after=$(status_kb "$program" VmRSS)
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$mp4")

python3 - <<PY
wall = $stop - $start
tick = float($clock_ticks)
def share(t0, t1): return 100.0 * (t1 - t0) / tick / wall
print("recording: %.1f s from the first progress report to the stop press, %.1f s of it measured; "
      "final file %s, %.2f s long" % ($pressed - $start, wall, "$mp4", float("$duration")))
print("Quorlin.exe (Wine process $program): CPU %.2f %% of one core; RSS %.1f MB before Start, "
      "peak %.1f MB during the recording (%.1f MB since its start), %.1f MB at the end of it, "
      "%.1f MB after the copy"
      % (share($program_ticks0, $program_ticks1), $idle_rss / 1024.0, $program_peak / 1024.0,
         $program_hwm / 1024.0, $program_rss_end / 1024.0, $program_rss_after / 1024.0))
print("encoder (quorlind.exe, Wine process $encoder): CPU %.1f %% of one core; RSS peak %.1f MB"
      % (share($encoder_ticks0, $encoder_ticks1), $encoder_peak / 1024.0))
print("second press of Start to the final MP4 complete: %.3f s (status then: '$status'); "
      "the copy run started %.3f s after the press" % ($complete - $pressed, $(cat "$copy_seen" 2>/dev/null || echo "float('nan')") - $pressed))
PY
e2e_click 'id=2 class="Button"'
