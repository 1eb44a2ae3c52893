#!/usr/bin/env bash
# Runs the check cycle benchmark of the 32-bit and the 64-bit build under wine, in the test
# prefix under build/. Arguments go to the benchmark (the number of rounds, 2000 by default).
# No display is needed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# shellcheck source=tools/wine-env.sh
source tools/wine-env.sh

builds=(win32 win64)
for build in "${builds[@]}"; do
  exe=build/$build/bench/check_cycle_bench.exe
  if [[ ! -f $exe ]]; then
    echo "bench: $exe is missing; build it with 'make $build'" >&2
    exit 1
  fi
done

# One server for both runs. A test run may be using the prefix at the same time: its server is
# then shared and left running (and the figures are less steady).
quenora_claim_wineserver
trap quenora_release_wineserver EXIT
if ((!quenora_own_wineserver)); then
  echo "bench: another wineserver is using $WINEPREFIX; the figures may be disturbed" >&2
fi

status=0
for build in "${builds[@]}"; do
  echo "=== check cycle bench, $build build ==="
  if ! tools/wine-run "build/$build/bench/check_cycle_bench.exe" "$@"; then
    echo "bench: the $build benchmark failed" >&2
    status=1
  fi
done
exit $status
