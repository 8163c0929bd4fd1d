#!/usr/bin/env bash
# The microphone and the system sound in one recording for 10 minutes ("麦克风和扬声器"), the
# test microphone's clock 300 ppm fast: its 1 kHz tone whole to the end (no gap of 5 ms), every
# 440 Hz pulse of the system sound whole, and the pulses as far in step with the picture at the
# end as at the start (within 40 ms). Takes the test's own Wine prefix unless
# QUORLIN_WINEPREFIX names another.
#   tools/bench/mixed_sound_bench.sh [SECONDS] [BUILD_DIR]
set -euo pipefail
# The devices' figures of each run (the system's longest wait between packets among them),
# printed at the end with the player's.
export QUORLIN_DEVICE_STATS=${QUORLIN_DEVICE_STATS:-'C:\quorlin-device-stats.txt'}
repo=$(cd "$(dirname "$0")/../.." && pwd)
exec bash "$repo/tests/e2e/system_sound_test.sh" "${2:-$repo/build/win32}" "${1:-600}" mixed
