#!/usr/bin/env bash
# Runs every fuzz target under libFuzzer for a while (10 minutes each unless told):
#   tools/bench/fuzz_bench.sh [SECONDS]
# Starts from the kept inputs (tests/fuzz/corpus/<target>/); new inputs go to
# build/native-fuzz/tests/fuzz/found/<target>/, a failing input to
# build/native-fuzz/tests/fuzz/<target>-crash-*. Keep a failing input as a regression case by
# moving it into the target's corpus folder once the fault is fixed. Prints runs and speed
# per target; exits 1 when a target failed.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
source "$repo/tools/lib.sh"
seconds=${1:-600}

bash "$repo/tools/setup.sh" >/dev/null
tree=$repo/build/native-fuzz
configure_and_build "$tree" -DQUORLIN_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null

status=0
for target in settings_file command_line progress_scan camera_position; do
  work=$tree/tests/fuzz/found/$target
  mkdir -p "$work"
  log=$tree/tests/fuzz/$target-bench.log
  if "$tree/bin/${target}_fuzz" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
      -artifact_prefix="$tree/tests/fuzz/$target-" "$work" "$repo/tests/fuzz/corpus/$target" >"$log" 2>&1; then
    result=ok
  else
    result="FAILED (see $log)"
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  echo "$target: ${runs:-?} runs in ${seconds} s (${speed:-?}/s), $(ls "$work" | wc -l) inputs found, $result"
done
exit $status
