#!/usr/bin/env bash
# Sets up this machine (when needed) and runs every test:
#   1. native build: the portable rules and tools, with GoogleTest;
#   2. the same native tests under AddressSanitizer and UndefinedBehaviorSanitizer, and the
#      engine's tests under ThreadSanitizer;
#   3. the Windows build for i686 (what we ship) and, where this machine runs 32-bit Wine,
#      its tests under Wine; elsewhere the x86_64 build of the same sources runs them under
#      64-bit Wine. Wine tests include end-to-end runs of the real program on a virtual display.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
source "$here/lib.sh"

bash "$here/setup.sh"
mkdir -p "$repo/build"
# Wine's virtual display and prefix are private to this run.
unset DISPLAY

failed=()
total_passed=0
total_failed=0
run_ctest() {
  local name=$1 dir=$2 log
  shift 2
  echo "== tests: $name =="
  log=$(mktemp)
  if ! (cd "$dir" && ctest --output-on-failure -j"$(nproc)" --timeout 600 "$@") 2>&1 | tee "$log"; then
    failed+=("$name")
  fi
  # "N% tests passed, F tests failed out of T"
  local counts
  counts=$(sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' "$log" | tail -n 1)
  if [ -n "$counts" ]; then
    set -- $counts
    total_failed=$((total_failed + $1))
    total_passed=$((total_passed + $2 - $1))
  else
    failed+=("$name (no test ran)")
  fi
  rm -f "$log"
}

echo "== build: native =="
configure_and_build "$repo/build/native"
run_ctest native "$repo/build/native"

echo "== build: native with sanitizers =="
configure_and_build "$repo/build/native-asan" -DQUORLIN_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest native-asan "$repo/build/native-asan"

# The encoder runner's threads under ThreadSanitizer; only the engine tests, the rest of the
# suite has no threads of its own.
echo "== build: native with ThreadSanitizer (engine) =="
configure_and_build "$repo/build/native-tsan" -DQUORLIN_TSAN=ON
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" run_ctest native-tsan "$repo/build/native-tsan" -R '^engine_'

# The file readers, the progress scan and the command lines under libFuzzer (clang), each for
# a bounded number of runs from its kept inputs; tools/bench/fuzz_bench.sh runs them longer.
echo "== build: native fuzzing (clang, libFuzzer) =="
configure_and_build "$repo/build/native-fuzz" -DQUORLIN_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
run_ctest native-fuzz "$repo/build/native-fuzz"

echo "== build: win32 (i686) =="
configure_and_build "$repo/build/win32" $(toolchain_for win32)
file "$repo/build/win32/bin/Quorlin.exe"

kind=$(wine_build_kind)
if [ "$kind" = win64 ]; then
  run_ctest "win32 checks without Wine" "$repo/build/win32" -L host
  echo "== this machine cannot run 32-bit Wine; the Windows tests run on the x86_64 build =="
  echo "== build: win64 (x86_64) =="
  configure_and_build "$repo/build/win64" $(toolchain_for win64)
fi
run_ctest "$kind under Wine" "$repo/build/$kind"

echo "Test programs in native, native-asan, native-tsan (engine), native-fuzz, win32 and $kind under Wine:"
echo "tests: $total_passed passed, $total_failed failed"
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
