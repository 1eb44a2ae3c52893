#!/usr/bin/env bash
# Plays the user's side of DriveScenarioTest: maps a small drive to Q: (a 20 MB tmpfs when
# this runs as root, else a plain folder), and removes or restores the letter on request.
set -uo pipefail
exe=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
work=$(mktemp -d /tmp/quenora-drives.XXXXXX)
mkdir -p "$work/disk" "$work/handshake"
link=$WINEPREFIX/dosdevices/q:
tmpfs=0
if [[ $(id -u) -eq 0 ]] && mount -t tmpfs -o size=20m tmpfs "$work/disk" 2>/dev/null; then
  tmpfs=1
fi
cleanup() {
  rm -f "$link"
  [[ $tmpfs == 1 ]] && umount "$work/disk"
  rm -rf "$work"
}
trap cleanup EXIT
ln -sfn "$work/disk" "$link"

export QUENORA_SCENARIO_DIR="Z:${work//\//\\}\\handshake"
export QUENORA_SMALL_DRIVE_TMPFS=$tmpfs QUENORA_SMALL_DRIVE_PATH=$work/disk
"$root/tools/wine-run" "$exe" &
pid=$!
while kill -0 "$pid" 2>/dev/null; do
  if [[ -e $work/handshake/remove-q && ! -e $work/handshake/q-removed ]]; then
    rm -f "$link"
    touch "$work/handshake/q-removed"
  fi
  if [[ -e $work/handshake/restore-q && ! -e $work/handshake/q-restored ]]; then
    ln -sfn "$work/disk" "$link"
    touch "$work/handshake/q-restored"
  fi
  sleep 0.05
done
wait "$pid"
