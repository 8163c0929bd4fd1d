#!/usr/bin/env bash
# Benchmark (not a test): the time from the press that stops a 60-second recording to the
# final MP4 complete, with the bar benchmark (tools/bench/bar_recording_bench.sh), RUNS times
# for each Windows build tree given, the trees taking turns so that the machine's load falls
# on each alike; prints every time and each tree's median.
#     tools/bench/stop_latency_bench.sh RUNS BUILD_DIR...
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
runs=$1
shift
[ $# -gt 0 ] || { echo "usage: $0 RUNS BUILD_DIR..." >&2; exit 2; }
results=$(mktemp)
trap 'rm -f "$results"' EXIT
for run in $(seq "$runs"); do
  for build in "$@"; do
    line=$(bash "$repo/tools/bench/bar_recording_bench.sh" "$build" 60 2>&1 | grep 'final MP4 complete') ||
      { echo "run $run, $build: the bar benchmark failed" >&2; exit 1; }
    seconds=$(sed -n 's/.*final MP4 complete: \([0-9.]*\) s.*/\1/p' <<<"$line")
    echo "run $run, $build: $seconds s ($line)"
    echo "$build $seconds" >>"$results"
  done
done
python3 - "$results" "$@" <<'PY'
import statistics, sys
rows = [line.split() for line in open(sys.argv[1])]
for build in sys.argv[2:]:
    times = sorted(float(s) for b, s in rows if b == build)
    print("%s: median %.3f s of %d (%s)" % (build, statistics.median(times), len(times), ", ".join("%.3f" % t for t in times)))
PY
