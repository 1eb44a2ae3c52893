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

# The fuzz targets: native, no wine, no display. The seeds are replayed, then each target runs
# briefly (QUENORA_FUZZ_SECONDS, 10 by default; 0 replays the seeds only).
echo "=== fuzz targets: seeds, then ${QUENORA_FUZZ_SECONDS:-10}s each ==="
fuzz_failed=0
tools/fuzz.sh "${QUENORA_FUZZ_SECONDS:-10}" || fuzz_failed=1

quenora_start_display 1024x768
quenora_start_wineserver
quenora_use_wine_desktop 1024x768
trap 'quenora_stop_wineserver; quenora_stop_display' EXIT

failed=()
((fuzz_failed)) && failed+=("fuzz")
for preset in "${presets[@]}"; do
  echo "=== tests of the $preset build ==="
  ctest --preset "$preset" || failed+=("$preset")
done
if ((${#failed[@]})); then
  echo "test: FAILED in the build(s): ${failed[*]}"
  exit 1
fi
echo "test: every test of ${presets[*]} and the fuzz targets passed"
