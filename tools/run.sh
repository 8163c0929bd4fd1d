#!/usr/bin/env bash
# Sets up this machine (when needed), builds Quorlin and runs it under Wine.
# - With $DISPLAY set: starts the program on that display for you.
# - Without a display: runs it on a virtual display, saves a screenshot under the build
#   tree, prints where, and ends the program after a few seconds.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
source "$here/lib.sh"

bash "$here/setup.sh"
mkdir -p "$repo/build"
echo "== build: win32 (i686) =="
configure_and_build "$repo/build/win32" $(toolchain_for win32) >/dev/null
kind=$(wine_build_kind)
if [ "$kind" = win64 ]; then
  echo "== this machine cannot run 32-bit Wine: running the x86_64 build of the same sources =="
  configure_and_build "$repo/build/win64" $(toolchain_for win64) >/dev/null
fi
program=$repo/build/$kind/bin/Quorlin.exe

if [ -n "${DISPLAY:-}" ]; then
  exec "$here/wine-run.sh" "$program"
fi

# Headless: the same end-to-end helpers the tests use.
source "$repo/tests/e2e/e2e_lib.sh" "$repo/build/$kind"
e2e_start_display
e2e_start "$program"
e2e_wait_for 'title="quorlwnd"'
sleep 2
e2e_windows | grep -A20 'title="quorlwnd"' | sed 's/^/  /' | head -n 20
e2e_screenshot run
echo "Quorlin ran on a virtual display; it ends now."
