# Helpers for end-to-end tests: source it with the build tree as $1 of the test.
set -euo pipefail

e2e_build=$(cd "$1" && pwd)
e2e_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
e2e_bin=$e2e_build/bin
e2e_shots=$e2e_build/screenshots
mkdir -p "$e2e_shots"
source "$e2e_repo/tools/lib.sh"
e2e_pids=()
e2e_xvfb=""
e2e_pulse=""

# Fails the test, with a screenshot of the moment when the test has a display.
fail() {
  echo "FAIL: $*" >&2
  if [ -n "$e2e_xvfb" ]; then
    import -window root "$e2e_shots/failed_$(basename "$0" .sh).png" 2>/dev/null &&
      echo "screenshot: $e2e_shots/failed_$(basename "$0" .sh).png" >&2
  fi
  exit 1
}

e2e_cleanup() {
  for pid in "${e2e_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  # Any program of this test still running goes with the test's Wine session.
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
  if [ -n "$e2e_xvfb" ]; then kill "$e2e_xvfb" 2>/dev/null || true; fi
  if [ -n "$e2e_pulse" ]; then
    kill "$e2e_pulse" 2>/dev/null || true
    rm -rf "$e2e_pulse_dir"
  fi
}
trap e2e_cleanup EXIT

# e2e_start_sound: a private PulseAudio server for this test, stopped with it: its socket in a
# temporary folder with PULSE_SERVER pointing at it, no user configuration, and a null sink
# "speakers" (described "Speakers", 48 kHz stereo) as the default output. Wine's programs then
# play into it and list its monitor as an input.
e2e_start_sound() {
  e2e_pulse_dir=$(mktemp -d)
  export PULSE_SERVER=unix:$e2e_pulse_dir/native
  HOME=$e2e_pulse_dir PULSE_RUNTIME_PATH=$e2e_pulse_dir/runtime PULSE_STATE_PATH=$e2e_pulse_dir/state \
    pulseaudio --daemonize=no --exit-idle-time=-1 -n --use-pid-file=no --log-target=stderr \
    --load="module-native-protocol-unix socket=$e2e_pulse_dir/native auth-anonymous=1" \
    >"$e2e_pulse_dir/log" 2>&1 &
  e2e_pulse=$!
  e2e_until 20 pactl info >/dev/null 2>&1 || fail "the PulseAudio server did not start: $(cat "$e2e_pulse_dir/log")"
  e2e_add_sink speakers Speakers >/dev/null
  pactl set-default-sink speakers
}

# e2e_add_sink NAME DESCRIPTION [CHANNEL_MAP]: a null sink at 48 kHz (stereo unless a channel
# map is given); prints its module number, for pactl unload-module. A null sink with no client
# asking for a short delay mixes in blocks of up to 2 s, so a new or moved monitor stream would
# wait that long for its first sound; silence played into it with a 20 ms delay keeps it
# mixing in short periods, as a sound card does.
e2e_add_sink() {
  local map=${3:-front-left,front-right} module
  module=$(pactl load-module module-null-sink sink_name="$1" rate=48000 \
    channels=$(($(tr -cd , <<<"$map" | wc -c) + 1)) channel_map="$map" sink_properties=device.description="$2") ||
    fail "cannot make the sink $1"
  pacat --playback --raw --latency-msec=20 --device="$1" </dev/zero >/dev/null 2>&1 &
  e2e_pids+=($!)
  echo "$module"
}

# A private virtual display for this test (1280x800 unless told WIDTHxHEIGHT).
e2e_start_display() {
  start_virtual_display "$@"
  e2e_xvfb=$xvfb_pid
  e2e_use_prefix
  # A recording note left when an earlier test ended its program mid-recording would have
  # this test's first start finish that recording.
  rm -f "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/quorlin/recording.cfg
}

# The prefix the Wine wrapper picks for this tree's programs, so that files can be placed in
# it and wineserver -k finds the test's programs; e2e_kind is the tree's bitness (win32, win64).
e2e_use_prefix() {
  if file -b "$e2e_bin/Quorlin.exe" | grep -q x86-64; then
    e2e_kind=win64
    export WINEPREFIX=${QUORLIN_WINEPREFIX:-$e2e_repo/build/wineprefix64}
  else
    e2e_kind=win32
    export WINEPREFIX=${QUORLIN_WINEPREFIX:-$e2e_repo/build/wineprefix}
  fi
}

# Starts a Windows program of the build in the background; its pid goes to $e2e_last_pid.
e2e_start() {
  "$e2e_repo/tools/wine-run.sh" "$@" >/dev/null 2>&1 &
  e2e_last_pid=$!
  e2e_pids+=("$e2e_last_pid")
}

# Prints wininspect's listing of the windows on the display.
e2e_windows() {
  "$e2e_repo/tools/wine-run.sh" "$e2e_bin/wininspect.exe" 2>/dev/null
}

# e2e_until SECONDS COMMAND...: true once COMMAND succeeds, polled until the time is up.
e2e_until() {
  local deadline=$((SECONDS + $1))
  shift
  while [ $SECONDS -lt $deadline ]; do
    if "$@"; then return 0; fi
    sleep 0.2
  done
  return 1
}

# The whole listing is read: grep -q would stop at the first match and, under pipefail, fail the
# check when wininspect is still writing.
e2e_listing_has() { e2e_windows | grep -- "$1" >/dev/null; }

# e2e_wait_for PATTERN [SECONDS]: waits until a line of the window listing matches.
e2e_wait_for() {
  e2e_until "${2:-90}" e2e_listing_has "$1" && return 0
  echo "--- windows on the display:" >&2
  e2e_windows >&2 || true
  fail "no window line matching: $1 (after ${2:-90}s)"
}

# e2e_wait_bar_ready: waits for the bar at the top edge with its start-up check over (the
# check's window covers the bar meanwhile, and the bar ignores Start and F8 until it ends).
e2e_bar_ready() { e2e_listing_has 'title="quorlwnd" rect=[0-9]*,0,' && ! e2e_listing_has 'title="初始化\.\.\."'; }
e2e_wait_bar_ready() {
  e2e_until 90 e2e_bar_ready && return 0
  echo "--- windows on the display:" >&2
  e2e_windows >&2 || true
  fail "the bar did not come up after its start-up check"
}

# e2e_middle PATTERN: prints "X Y", the middle of the first window or control whose listing
# line matches.
e2e_middle() {
  local line rect l t r b
  line=$(e2e_windows | grep -m1 -- "$1") || fail "nothing to click matching: $1"
  rect=$(sed -n 's/.* rect=\([-0-9]*,[-0-9]*,[-0-9]*,[-0-9]*\).*/\1/p' <<<"$line")
  IFS=, read -r l t r b <<<"$rect"
  echo "$(((l + r) / 2)) $(((t + b) / 2))"
}

# e2e_click PATTERN: clicks the middle of the first window or control whose listing line
# matches (real mouse input on the display, as a user would).
e2e_click() {
  local middle
  middle=$(e2e_middle "$1") || exit 1
  xdotool mousemove $middle click 1
}

# e2e_click_until PATTERN COMMAND...: clicks the control until COMMAND succeeds; a click lost
# under Wine right after a window appeared or changed is repeated once.
e2e_click_until() {
  local pattern=$1 try
  shift
  for try in 1 2; do
    e2e_click "$pattern"
    e2e_until 10 "$@" && return 0
  done
  fail "clicking $pattern did not lead to: $*; the status reads '$(e2e_status)'"
}

# e2e_key KEY: a key press to the window that has the focus.
e2e_key() {
  xdotool key "$1"
}

# e2e_settings field=value ...: writes fields of the Wine user's settings file.
e2e_settings() {
  "$e2e_repo/tools/wine-run.sh" "$e2e_bin/qsettings.exe" "$@" >/dev/null
}

# The Unix path of a path on the prefix's drive C:, e.g. e2e_unix_path 'C:\rec' .
e2e_unix_path() {
  local rest=${1#[Cc]:}
  echo "$WINEPREFIX/drive_c${rest//\\//}"
}

# e2e_fresh_folder 'C:\...': empties (or makes) a folder on the prefix's drive C: and prints
# its Unix path.
e2e_fresh_folder() {
  local path
  path=$(e2e_unix_path "$1")
  rm -rf "$path"
  mkdir -p "$path"
  echo "$path"
}

# e2e_install_encoder [PROGRAM.exe]: the encoder the bar runs, in the Windows folder where
# the start-up check and the system look for it: the genuine FFmpeg build of the tree's
# bitness (fetched by tools/setup.sh), or PROGRAM.exe (the fake encoder of fault tests).
e2e_install_encoder() {
  local program=${1:-$e2e_repo/build/encoder/$e2e_kind/ffmpeg.exe}
  [ -f "$program" ] || fail "no encoder at $program (tools/setup.sh fetches it)"
  [ -d "$WINEPREFIX/drive_c/windows" ] || e2e_windows >/dev/null  # the wrapper makes the prefix
  cmp -s "$program" "$WINEPREFIX/drive_c/windows/quorlind.exe" || cp "$program" "$WINEPREFIX/drive_c/windows/quorlind.exe"
}

# The capture devices as a user's machine has them: the tree's device DLLs copied into
# C:\Program Files\Quorlin and registered with Wine's regsvr32 of the same bitness. Skipped
# when these very DLLs are registered in the prefix already.
e2e_install_devices() {
  local folder_win='C:\Program Files\Quorlin' folder stamp dll
  local dlls=(QuorlinDevices.dll QuorlinTestDevices.dll)
  for dll in "${dlls[@]}"; do
    [ -f "$e2e_bin/$dll" ] || fail "no capture devices DLL $e2e_bin/$dll"
  done
  stamp=$(cd "$e2e_bin" && sha256sum "${dlls[@]}")
  [ "$(cat "$WINEPREFIX/.quorlin-devices" 2>/dev/null)" = "$stamp" ] && return 0
  [ -d "$WINEPREFIX/drive_c/windows" ] || e2e_windows >/dev/null
  folder=$(e2e_unix_path "$folder_win")
  mkdir -p "$folder"
  for dll in "${dlls[@]}"; do
    cp "$e2e_bin/$dll" "$folder/"
    e2e_system_tool regsvr32.exe /s "$folder_win\\$dll" >/dev/null 2>&1 ||
      fail "regsvr32 could not register $folder_win\\$dll (exit code $?)"
  done
  echo "$stamp" >"$WINEPREFIX/.quorlin-devices"
}

# e2e_system_tool NAME.exe [ARGS...]: one of the prefix's own tools (reg, regsvr32), run by
# the Wine of the prefix's bitness.
e2e_system_tool() {
  local tool=$1
  shift
  "$e2e_repo/tools/wine-run.sh" "$WINEPREFIX/drive_c/windows/system32/$tool" "$@"
}

# The control bar's status line, as the bar shows it.
e2e_status() {
  e2e_windows | sed -n 's/.* id=1002 class="Static" text="\([^"]*\)".*/\1/p' | head -n 1
}

e2e_status_matches() { e2e_status | grep -Eq -- "$1"; }

# e2e_wait_status PATTERN [SECONDS]: waits for the status line to match (grep -E).
e2e_wait_status() {
  e2e_until "${2:-60}" e2e_status_matches "$1" ||
    fail "status never matched '$1'; it reads '$(e2e_status)'"
}

# e2e_wait_text PREFIX [SECONDS]: waits (polling every 20 ms) for a window or control whose
# text starts with PREFIX; prints the text. For timing what the program shows.
e2e_wait_text() {
  "$e2e_repo/tools/wine-run.sh" "$e2e_bin/wininspect.exe" wait "$1" "${2:-60}" 2>/dev/null | tr -d '\r' ||
    fail "no text starting with '$1' appeared"
}

e2e_screenshot() {
  import -window root "$e2e_shots/$1.png"
  echo "screenshot: $e2e_shots/$1.png"
}

# e2e_wine_processes PROGRAM: the Linux process ids of this test's Wine processes running
# PROGRAM (e.g. quorlind.exe): Wine names the process after the program, and the session is
# told by its prefix.
e2e_wine_processes() {
  local pid
  for pid in $(pgrep -x -- "$1"); do
    if grep -qsxz "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ"; then echo "$pid"; fi
  done
}

e2e_process_gone() { ! kill -0 "$1" 2>/dev/null; }

# e2e_wait_exit PID SECONDS: true when the process ends in time.
e2e_wait_exit() {
  e2e_until "$2" e2e_process_gone "$1"
}

# The four capture-area values as "x y width height" (signed), "none" when none is there, or
# "partial ..." when some are.
e2e_area_values() {
  e2e_system_tool reg.exe query 'HKCU\Software\screen-capture-recorder' 2>/dev/null | tr -d '\r' | python3 -c '
import sys
values = {}
for line in sys.stdin:
    parts = line.split()
    if len(parts) == 3 and parts[1] == "REG_DWORD":
        v = int(parts[2], 16)
        values[parts[0]] = v - (1 << 32) if v >= 1 << 31 else v
names = ["start_x", "start_y", "capture_width", "capture_height"]
print(" ".join(str(values[n]) for n in names) if all(n in values for n in names) else
      "none" if not any(n in values for n in names) else "partial %s" % values)'
}
