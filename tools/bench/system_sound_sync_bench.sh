#!/usr/bin/env bash
# Sound and picture in step over a long recording from the bar: the system-sound test's
# flashing window with a tone every 2.01 s, recorded for 10 minutes (or SECONDS), through the
# genuine encoder and a private PulseAudio server. Prints every pulse's offset (sound minus
# picture) with their median and range; fails as the test does (median beyond 40 ms, a pulse
# beyond 60 ms). Not part of the test command.
#   tools/bench/system_sound_sync_bench.sh [SECONDS] [BUILD_DIR]
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
exec bash "$repo/tests/e2e/system_sound_test.sh" "${2:-$repo/build/win32}" "${1:-600}"
