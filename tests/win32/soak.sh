#!/usr/bin/env bash
# Maps the soak's real drives and runs it: S: a 4 MB tmpfs below the alarm limit (a plain
# folder when this can't mount, not being root) and U: a letter whose folder doesn't exist,
# so that every query of it fails. The letters go when the run ends, however it ends.
set -uo pipefail
exe=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
work=$(mktemp -d /tmp/quenora-soak.XXXXXX)
mkdir -p "$work/small"
small=$WINEPREFIX/dosdevices/s:
lost=$WINEPREFIX/dosdevices/u:
tmpfs=0
if [[ $(id -u) -eq 0 ]] && mount -t tmpfs -o size=4m tmpfs "$work/small" 2>/dev/null; then
  tmpfs=1
fi
cleanup() {
  rm -f "$small" "$lost"
  [[ $tmpfs == 1 ]] && umount "$work/small"
  rm -rf "$work"
}
trap cleanup EXIT
ln -sfn "$work/small" "$small"
ln -sfn "$work/missing" "$lost"

export QUENORA_SOAK_SMALL_DRIVE=S QUENORA_SOAK_LOST_DRIVE=U QUENORA_SMALL_DRIVE_TMPFS=$tmpfs
"$root/tools/wine-run" "$exe" "${@:2}"
