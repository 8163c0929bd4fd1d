#!/usr/bin/env bash
# Many pauses in one recording from the bar: fifty (or PAIRS) presses of F7 to pause, each
# 0.5 s after the last resume, and to resume 0.5 s later, through the genuine encoder with the
# system sound and clock_window in the picture. Prints what the pause test's check measures
# (every stretch in the file and in order, the duration, the longest repeated picture, each
# resume's latency) and fails as it does. Not part of the test command.
#   tools/bench/pause_pairs_bench.sh [PAIRS] [BUILD_DIR]
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
exec bash "$repo/tests/e2e/pause_test.sh" "${2:-$repo/build/win32}" "${1:-50}"
