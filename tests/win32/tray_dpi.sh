#!/usr/bin/env bash
# Runs the case of the tray icons' size at 96, 120, 144 and 192 dpi. Wine takes the DPI from
# HKCU\Control Panel\Desktop "LogPixels" when its server starts, and sends no WM_DPICHANGED
# when the value changes: each DPI gets a server of its own, in a prefix no other test shares.
set -uo pipefail
exe=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=$root/build/wineprefix-dpi
# shellcheck source=../../tools/wine-env.sh
source "$root/tools/wine-env.sh"
quenora_prepare_prefix
quenora_use_wine_desktop 1024x768
status=0
for dpi in 96 120 144 192; do
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null
  wineserver -w
  echo "LogPixels $dpi"
  QUENORA_EXPECT_DPI=$dpi wine "$exe" --gtest_filter=Form1Test.TrayIconsHaveTheSizeTheShellShowsThemAt ||
    status=1
done
wineserver -k 2>/dev/null
exit $status
