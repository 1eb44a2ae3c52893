#!/usr/bin/env bash
# Screenshots of the options window, one per page, as a person sees it: Quenora starts with an
# empty store (so the window shows) on a wine desktop of its own on a private virtual display.
#
#   tools/screenshot-options.sh [OUT_DIR] [DPI]     default: build/screenshots, 96
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=${1:-build/screenshots}
dpi=${2:-96}
mkdir -p "$out"
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix-screenshots}
# shellcheck source=tools/wine-env.sh
source tools/wine-env.sh

size=$((1024 * dpi / 96))x$((768 * dpi / 96))
quenora_start_display "$size"
quenora_claim_wineserver
trap 'wineserver -k 2>/dev/null || true; quenora_stop_display' EXIT
wine reg delete 'HKCU\Software\Tarnwick Software\Quenora' /f >/dev/null 2>&1 || true
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
quenora_use_wine_desktop "$size"
wineserver -k 2>/dev/null || true  # the DPI is read when the server starts
quenora_claim_wineserver

wine build/win32/Quenora.exe &
sleep 6
desktop=$(xdotool search --name 'Wine desktop' | head -n 1)
for page in 1 2 3 4; do
  import -window root "$out/options-page$page-${dpi}dpi.png"
  echo "screenshot: $out/options-page$page-${dpi}dpi.png"
  xdotool windowfocus "$desktop" 2>/dev/null || true
  xdotool key ctrl+Tab
  sleep 1
done
