#!/usr/bin/env bash
# Plays the drive's side of FolderScanTest: a tree of 200,000 files on a tmpfs (when this runs
# as root, else a plain folder) mapped to S:, and what the scan must find there, counted by
# find over the same tree.
set -euo pipefail
exe=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
work=$(mktemp -d /tmp/quenora-scan.XXXXXX)
mkdir -p "$work/disk"
link=$WINEPREFIX/dosdevices/s:
tmpfs=0
if [[ $(id -u) -eq 0 ]] && mount -t tmpfs -o size=64m,nr_inodes=400k tmpfs "$work/disk" 2>/dev/null
then
  tmpfs=1
fi
cleanup() {
  rm -f "$link"
  [[ $tmpfs == 1 ]] && umount "$work/disk"
  rm -rf "$work"
}
trap cleanup EXIT
python3 "$root/tools/make_scan_tree.py" "$work/disk" 200000

# The bytes and the number of the files (apparent sizes; symbolic links are not files to
# find), in all and per first-level folder: exactly what the scanner adds up. du would count
# each folder's own entry as well, which the scanner doesn't; a file with two names (a hard
# link) is found at both. Apart, the files that symbolic links to files name, where they lie.
totals() {
  awk -F'\t' '
  { bytes += $1; files++
    cut = index($2, "/")
    if (cut) { top = substr($2, 1, cut - 1); topBytes[top] += $1; topFiles[top]++ } }
  END { printf "%d\t%d\t\n", bytes, files
        for (top in topBytes) printf "%d\t%d\t%s\n", topBytes[top], topFiles[top], top }'
}
find "$work/disk" -type f -printf '%s\t%P\n' | totals >"$work/expected.txt"
find "$work/disk" -type l -xtype f -printf '%P\n' | while IFS= read -r file_link; do
  printf '%s\t%s\n' "$(stat -L -c %s "$work/disk/$file_link")" "$file_link"
done | totals >"$work/file-links.txt"

ln -sfn "$work/disk" "$link"
export QUENORA_SCAN_DRIVE=S:
export QUENORA_SCAN_EXPECTED="Z:${work//\//\\}\\expected.txt"
export QUENORA_SCAN_FILE_LINKS="Z:${work//\//\\}\\file-links.txt"
"$root/tools/wine-run" "$exe"
