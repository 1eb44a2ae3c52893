#!/usr/bin/env bash
# Builds the three builds and runs every test headless: one virtual display and one wine
# server for the whole run, in the project's own wine prefix under build/.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
# shellcheck source=tools/wine-env.sh
source tools/wine-env.sh

read -r -a presets <<<"${QUENORA_PRESETS:-native win32 win64}"
for preset in "${presets[@]}"; do
  cmake --preset "$preset" >/dev/null || { echo "test: configuring $preset failed" >&2; exit 1; }
  cmake --build --preset "$preset" || { echo "test: building $preset failed" >&2; exit 1; }
done

# The tests with threads under ThreadSanitizer, each case a hundred times: they spend their
# time waiting for drives that hang, so they run beside the other tests, and their report
# comes at the end (QUENORA_TSAN=0 leaves them out).
tsan_log=build/tsan-tests.log
tsan_pid=
if [[ ${QUENORA_TSAN:-1} != 0 ]]; then
  { cmake --preset tsan >/dev/null && cmake --build --preset tsan; } ||
    { echo "test: building the tsan preset failed" >&2; exit 1; }
  ctest --preset tsan >"$tsan_log" 2>&1 &
  tsan_pid=$!
fi

# The fuzz targets: native, no wine, no display. The seeds are replayed, then each target runs
# briefly (QUENORA_FUZZ_SECONDS, 10 by default; 0 replays the seeds only).
echo "=== fuzz targets: seeds, then ${QUENORA_FUZZ_SECONDS:-10}s each ==="
fuzz_failed=0
tools/fuzz.sh "${QUENORA_FUZZ_SECONDS:-10}" || fuzz_failed=1

quenora_start_display 1024x768
quenora_start_wineserver
quenora_use_wine_desktop 1024x768
trap 'quenora_stop_wineserver; quenora_stop_display; [[ -n $tsan_pid ]] && kill "$tsan_pid" 2>/dev/null' EXIT

failed=()
tested=()
((fuzz_failed)) && failed+=("fuzz")
for preset in "${presets[@]}"; do
  if [[ $preset == win32 ]] && ! quenora_runs_32bit; then
    echo "=== tests of the win32 build: not run, this machine's kernel runs no 32-bit programs ==="
    echo "(built all the same; the 64-bit build's tests run the same cases)"
    continue
  fi
  echo "=== tests of the $preset build ==="
  tested+=("$preset")
  ctest --preset "$preset" || failed+=("$preset")
done
if [[ -n $tsan_pid ]]; then
  echo "=== tests with threads under ThreadSanitizer, 100 times each ==="
  if wait "$tsan_pid"; then
    tail -n 4 "$tsan_log"
  else
    cat "$tsan_log"
    failed+=("tsan")
  fi
fi
if ((${#failed[@]})); then
  echo "test: FAILED in the build(s): ${failed[*]}"
  exit 1
fi
echo "test: every test of ${tested[*]}${tsan_pid:+ tsan} and the fuzz targets passed"
