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

# The check cycle is measured over distinct drives: every free letter of the prefix becomes a
# drive for the run, on a quiet tmpfs when we may mount one (nothing else writes there, so the
# drives stay quiet), else on the prefix's own C: folder.
bench_disk=$(mktemp -d /tmp/quenora-bench.XXXXXX)
bench_tmpfs=0
if [[ $(id -u) -eq 0 ]] && mount -t tmpfs -o size=64m tmpfs "$bench_disk" 2>/dev/null; then
  bench_tmpfs=1
fi
bench_links=()
for letter in {a..y}; do
  link=$WINEPREFIX/dosdevices/$letter:
  [[ -e $link || -L $link ]] && continue
  ln -s "$bench_disk" "$link" && bench_links+=("$link")
done
unmap_drives() {
  rm -f "${bench_links[@]}"
  ((bench_tmpfs)) && umount "$bench_disk"
  rmdir "$bench_disk"
  quenora_release_wineserver
}
trap unmap_drives EXIT

status=0
for build in "${builds[@]}"; do
  echo "=== check cycle bench, $build build ==="
  if ! tools/wine-run "build/$build/bench/check_cycle_bench.exe" "$@"; then
    echo "bench: the $build benchmark failed" >&2
    status=1
  fi
done
exit $status
