#!/usr/bin/env bash
# The benchmarks of the 32-bit and the 64-bit build, under wine, each a ratio measured in one run:
#   - the check cycle against the bare free-space calls (arguments of this script go to it: the
#     number of rounds, 2000 by default);
#   - the start, from process start to the first tray icon, and the memory after 100 ticks of
#     the check timer, each against a minimal tray program (bench/TrayStartBench.cpp);
#   - a scan of a tree of 200,000 files against a plain FindFirstFileExW walk of it, the
#     memory of the kept tree, and the most memory a scan of a folder with 1,000,000 subfolders
#     takes above the process before it, at most 8 MB (bench/FolderScanBench.cpp);
#   - the scan window's map of a scan at the cap on kept folders, laid out and drawn at 1920x1080,
#     against a plain fill of as many rectangles (bench/ScanMapBench.cpp);
#   - the history window's chart of ten years of a drive, each range drawn at 1920x1080, under
#     50 ms, against a plain fill (bench/HistoryChartBench.cpp);
#   - the size of Quenora.exe.
# They run in a wine prefix of their own (build/wineprefix-bench), so that nothing they do
# touches the test prefix, on a private virtual display without a system tray and without a
# wine desktop: the tray bench plays the tray itself.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export WINEPREFIX=$root/build/wineprefix-bench
# shellcheck source=tools/wine-env.sh
source tools/wine-env.sh

builds=(win32 win64)
programs=(Quenora.exe bench/check_cycle_bench.exe bench/tray_bench.exe bench/minimal_tray.exe
  bench/folder_scan_bench.exe bench/scan_map_bench.exe bench/history_bench.exe)
for build in "${builds[@]}"; do
  for program in "${programs[@]}"; do
    if [[ ! -f build/$build/$program ]]; then
      echo "bench: build/$build/$program is missing; build it with 'make $build'" >&2
      exit 1
    fi
  done
done
for tool in wine wineserver Xvfb; do
  command -v "$tool" >/dev/null || {
    echo "bench: $tool is missing; run 'make bootstrap'" >&2
    exit 1
  }
done

# The check cycle is measured over distinct drives: every free letter of the prefix becomes a
# drive while it runs, on a quiet tmpfs when we may mount one (nothing else writes there, so
# the drives stay quiet), else on the prefix's own C: folder.
bench_disk=$(mktemp -d /tmp/quenora-bench.XXXXXX)
bench_tmpfs=0
if [[ $(id -u) -eq 0 ]] && mount -t tmpfs -o size=64m tmpfs "$bench_disk" 2>/dev/null; then
  bench_tmpfs=1
fi
bench_links=()
map_drives() {
  local letter link
  for letter in {a..y}; do
    link=$WINEPREFIX/dosdevices/$letter:
    [[ -e $link || -L $link ]] && continue
    ln -s "$bench_disk" "$link" && bench_links+=("$link")
  done
}
unmap_drives() {
  ((${#bench_links[@]})) && rm -f "${bench_links[@]}"
  bench_links=()
}

# shellcheck disable=SC2317  # called from the trap
cleanup() {
  unmap_drives
  ((bench_tmpfs)) && umount "$bench_disk"
  rm -rf "$bench_disk"
  quenora_release_wineserver
  quenora_stop_display
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A bare X display: windows need one, and no X tray is wanted.
DISPLAY=$(quenora_free_display) || {
  echo "bench: no free X display number" >&2
  exit 1
}
export DISPLAY
setsid Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
quenora_pids+=($!)
for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X${DISPLAY#:} ]] && break; sleep 0.1; done

# One server for all runs, and no other program in the prefix: a second bench would take the
# icons meant for this one.
quenora_claim_wineserver
if ((!quenora_own_wineserver)); then
  echo "bench: another wineserver is using $WINEPREFIX (another bench?); try again later" >&2
  exit 1
fi

# Quenora reads the label of every fixed drive at start; for Z: (the Unix root) wine says on
# stderr that it can't, past every handle. That line is no news here.
quiet_wine() { grep -v 'FS volume label and serial are not available' >&2 || true; }

# The tree the scan bench reads, on the same quiet disk; its files are sparse and take no
# space, so the drives the check cycle watches stay as they were.
python3 tools/make_scan_tree.py "$bench_disk/scan" 200000
scan_root="Z:${bench_disk//\//\\}\\scan"

status=0
for build in "${builds[@]}"; do
  if [[ $build == win32 ]] && ! quenora_runs_32bit; then
    echo "=== the win32 build's benchmarks: not run, this machine's kernel runs no 32-bit programs ==="
    continue
  fi
  echo "=== check cycle bench, $build build ==="
  map_drives
  if ! QUENORA_BENCH_SCAN_ROOT=$scan_root tools/wine-run "build/$build/bench/check_cycle_bench.exe" \
    "$@" 2> >(quiet_wine); then
    echo "bench: the $build check cycle benchmark failed" >&2
    status=1
  fi
  # The start is measured with the prefix's own drives only.
  unmap_drives
  echo "=== start and memory against a minimal tray program, $build build ==="
  if ! tools/wine-run "build/$build/bench/tray_bench.exe" "build/$build/Quenora.exe" \
    "build/$build/bench/minimal_tray.exe" 2> >(quiet_wine); then
    echo "bench: the $build start and memory benchmark failed" >&2
    status=1
  fi
  echo "=== folder scan against a plain walk of the same tree, $build build ==="
  if ! tools/wine-run "build/$build/bench/folder_scan_bench.exe" "$scan_root" 2> >(quiet_wine); then
    echo "bench: the $build folder scan benchmark failed" >&2
    status=1
  fi
  echo "=== scan map against a plain fill of its rectangles, $build build ==="
  if ! tools/wine-run "build/$build/bench/scan_map_bench.exe" 2> >(quiet_wine); then
    echo "bench: the $build scan map benchmark failed" >&2
    status=1
  fi
  echo "=== history chart of ten years against a plain fill, $build build ==="
  if ! tools/wine-run "build/$build/bench/history_bench.exe" 2> >(quiet_wine); then
    echo "bench: the $build history chart benchmark failed" >&2
    status=1
  fi
done

echo "=== size of Quenora.exe ==="
limit=$((460 * 1024))
for build in "${builds[@]}"; do
  size=$(stat -c %s "build/$build/Quenora.exe")
  if ((size < limit)); then verdict="under 460 KB"; else verdict="NOT under 460 KB"; fi
  awk -v name="build/$build/Quenora.exe" -v size="$size" -v verdict="$verdict" \
    'BEGIN { printf "%s  %d bytes (%.1f KB)  %s\n", name, size, size / 1024, verdict }'
done
exit $status
