#!/usr/bin/env bash
# Benchmark (not a test): the soak round of the end-to-end tests at full length, 100
# recordings of 3 s in a row from the bar with the genuine encoder, on a private virtual
# display. Reports each recording (final file, its length against the bar's, the program's
# handles, threads and private memory once idle again) and the first ten against the last ten.
#     tools/bench/recording_soak_bench.sh [BUILD_DIR] [COUNT]
# BUILD_DIR: a Windows build tree that Wine runs here (default build/win64 or build/win32).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$repo/tools/lib.sh"
build=${1:-$repo/build/$(wine_build_kind)}
start=$(date +%s)
bash "$repo/tests/e2e/recording_soak_test.sh" "$build" "${2:-100}" 3
echo "soak: $(($(date +%s) - start)) s in all"
