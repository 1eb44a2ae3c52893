#!/usr/bin/env bash
# Screenshots of the start hint and the About dialog, as a person sees them, on a wine desktop
# of its own on a private virtual display (like tools/screenshot-options.sh for the options):
#
#   tools/screenshot-dialogs.sh [OUT_DIR] [DPI] [EXE]    default: build/screenshots, 96, win32
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=${1:-build/screenshots}
dpi=${2:-96}
exe=${3:-build/win32/Quenora.exe}
mkdir -p "$out"
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix-screenshots}
# shellcheck source=tools/wine-env.sh
source tools/wine-env.sh

size=$((1024 * dpi / 96))x$((768 * dpi / 96))
quenora_start_display "$size"
quenora_claim_wineserver
trap 'wineserver -k 2>/dev/null || true; quenora_stop_display' EXIT
key='HKCU\Software\Tarnwick Software\Quenora'
wine reg delete "$key" /f >/dev/null 2>&1 || true
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
quenora_use_wine_desktop "$size"
wineserver -k 2>/dev/null || true  # the DPI is read when the server starts
quenora_claim_wineserver
desktop() { xdotool search --name 'Wine desktop' | head -n 1; }

# The About dialog: from the options window that a first start shows, its Info button.
wine "$exe" &
sleep 6
xdotool windowfocus "$(desktop)" 2>/dev/null || true
xdotool key alt+i
sleep 3
import -window root "$out/about-${dpi}dpi.png"
echo "screenshot: $out/about-${dpi}dpi.png"
wineserver -k 2>/dev/null || true
quenora_claim_wineserver

# The start hint: a later start, after the options were applied once.
wine reg add "$key" /v DoneBefore /t REG_SZ /d 1 /f >/dev/null 2>&1
wine "$exe" &
sleep 6
import -window root "$out/start-hint-${dpi}dpi.png"
echo "screenshot: $out/start-hint-${dpi}dpi.png"
