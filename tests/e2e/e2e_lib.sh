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

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

e2e_standin=""

e2e_cleanup() {
  if [ -n "$e2e_standin" ]; then
    "$e2e_repo/tools/quorlind_standin/start-helper.sh" stop || true
    rm -rf "$QUORLIN_STANDIN_RUNDIR"
  fi
  for pid in "${e2e_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  # Any program of this test still running goes with the test's Wine session.
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
  if [ -n "$e2e_xvfb" ]; then kill "$e2e_xvfb" 2>/dev/null || true; fi
}
trap e2e_cleanup EXIT

# e2e_start_standin PORT: starts the encoder stand-in's helper (after the display, whose
# screen it records) on that loopback port, with a private folder $QUORLIN_STANDIN_RUNDIR;
# both go when the test ends.
e2e_start_standin() {
  export QUORLIN_STANDIN_PORT=${QUORLIN_STANDIN_PORT:-$1}
  export QUORLIN_STANDIN_RUNDIR=$(mktemp -d)
  e2e_standin=1
  "$e2e_repo/tools/quorlind_standin/start-helper.sh" start
}

# A private virtual display for this test.
e2e_start_display() {
  start_virtual_display
  e2e_xvfb=$xvfb_pid
  e2e_use_prefix
}

# The prefix the Wine wrapper picks for this tree's programs, so that files can be placed in
# it and wineserver -k finds the test's programs.
e2e_use_prefix() {
  if file -b "$e2e_bin/Quorlin.exe" | grep -q x86-64; then
    export WINEPREFIX=$e2e_repo/build/wineprefix64
  else
    export WINEPREFIX=$e2e_repo/build/wineprefix
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

e2e_listing_has() { e2e_windows | grep -q -- "$1"; }

# e2e_wait_for PATTERN [SECONDS]: waits until a line of the window listing matches.
e2e_wait_for() {
  e2e_until "${2:-90}" e2e_listing_has "$1" && return 0
  echo "--- windows on the display:" >&2
  e2e_windows >&2 || true
  fail "no window line matching: $1 (after ${2:-90}s)"
}

# e2e_click PATTERN: clicks the middle of the first window or control whose listing line
# matches (real mouse input on the display, as a user would).
e2e_click() {
  local line rect l t r b
  line=$(e2e_windows | grep -m1 -- "$1") || fail "nothing to click matching: $1"
  rect=$(sed -n 's/.* rect=\([-0-9]*,[-0-9]*,[-0-9]*,[-0-9]*\).*/\1/p' <<<"$line")
  IFS=, read -r l t r b <<<"$rect"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
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

# e2e_install_encoder PROGRAM.exe: the program the bar runs as its encoder, in the
# Windows folder where the start-up check and the system look for it.
e2e_install_encoder() {
  [ -d "$WINEPREFIX/drive_c/windows" ] || e2e_windows >/dev/null  # the wrapper makes the prefix
  cp "$1" "$WINEPREFIX/drive_c/windows/quorlind.exe"
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

e2e_process_gone() { ! kill -0 "$1" 2>/dev/null; }

# e2e_wait_exit PID SECONDS: true when the process ends in time.
e2e_wait_exit() {
  e2e_until "$2" e2e_process_gone "$1"
}
