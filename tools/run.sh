#!/usr/bin/env bash
# Runs the 32-bit build of Quenora under wine, in a prefix of its own that outlives the run so
# that its settings do too (WINEPREFIX overrides it); on a machine whose kernel runs no 32-bit
# programs, the 64-bit build, built here when it is missing.
#
# With DISPLAY set the icons go to that desktop's system tray. Without one, the program runs on
# a private virtual display with a tray; once its icon is docked there and its window (the options
# window, or the start hint) is painted, a screenshot of the screen and an enlarged picture of
# the tray are saved under build/. Ctrl-C ends the program
# and everything the script started.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

export WINEPREFIX=${WINEPREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/quenora/wineprefix}
# shellcheck source=tools/wine-env.sh
source tools/wine-env.sh

exe=build/win32/Quenora.exe
if ! quenora_runs_32bit; then
  exe=build/win64/Quenora.exe
  echo "run: this machine's kernel runs no 32-bit programs; running the 64-bit build"
  if [[ ! -f $exe ]]; then
    cmake --preset win64 >/dev/null && cmake --build --preset win64 --target Quenora
  fi
fi
screen_png=build/quenora-screen.png
tray_png=build/quenora-tray.png
failed_png=build/quenora-screen-failed.png
dock_timeout=60

if [[ ! -f $exe ]]; then
  echo "run: $exe is missing; build it with 'make ${exe:6:5}'" >&2
  exit 1
fi

program_pid=""

program_running() { [[ -n $program_pid ]] && kill -0 "$program_pid" 2>/dev/null; }

# Closes the program as the system would: its window gets WM_CLOSE and takes the icons out of
# the tray. A program that does not end within a few seconds is killed.
# shellcheck disable=SC2317  # called from the traps
stop_program() {
  program_running || return 0
  wine taskkill /im Quenora.exe >/dev/null 2>&1 || true
  local _
  for _ in $(seq 50); do
    program_running || break
    sleep 0.1
  done
  if program_running; then
    echo "run: Quenora did not close, killing it" >&2
    kill "$program_pid" 2>/dev/null || true
  fi
  local status=0
  wait "$program_pid" 2>/dev/null || status=$?
  program_pid=""
  echo "run: Quenora closed (exit $status)"
}

# shellcheck disable=SC2317  # called from the traps
cleanup() {
  trap - EXIT INT TERM
  stop_program
  quenora_release_wineserver
  quenora_stop_display
}
trap cleanup EXIT
trap 'echo; echo "run: stopping"; exit 130' INT
trap 'exit 143' TERM

# The first docked notification icon in trayer's panel: wine's explorer.exe owns the windows it
# embeds there, one per icon.
docked_icon() {
  local panel
  panel=$(quenora_tray_panel)
  [[ -n $panel ]] || return 0
  xwininfo -tree -id "$panel" 2>/dev/null |
    awk '/\("explorer\.exe" "explorer\.exe"\)/ { print $1; exit }'
}

# How many colours a window shows: a docked icon that is not painted yet shows one.
window_colours() {
  import -window "$1" png:- 2>/dev/null | identify -format '%k' - 2>/dev/null || echo 0
}

# Waits until the program's icon is docked and painted; fails when the program ends first or
# the time is up.
wait_for_icon() {
  local deadline=$((SECONDS + dock_timeout)) icon
  while ((SECONDS < deadline)); do
    if ! program_running; then
      local status=0
      wait "$program_pid" || status=$?
      program_pid=""
      echo "run: Quenora ended (exit $status) before its icon reached the tray" >&2
      return 1
    fi
    icon=$(docked_icon)
    if [[ -n $icon ]] && (($(window_colours "$icon") > 1)); then
      echo "run: icon docked in the tray (window $icon)"
      return 0
    fi
    sleep 0.5
  done
  echo "run: no Quenora icon appeared in the tray within $dock_timeout s" >&2
  return 1
}

# Waits until a window of the program is shown and painted: the options window on a first start,
# the start hint on a later one. The start hint may have been turned off, so after a while the
# screenshot is taken without a window.
window_timeout=20
wait_for_window() {
  local deadline=$((SECONDS + window_timeout)) window
  while ((SECONDS < deadline)); do
    program_running || return 1
    window=$(xdotool search --onlyvisible --name '^Quenora' 2>/dev/null | head -n 1)
    if [[ -n $window ]] && (($(window_colours "$window") > 8)); then
      # A window is drawn in a few passes (frame, controls, pictures); let them end.
      sleep 1
      echo "run: window shown (window $window)"
      return 0
    fi
    sleep 0.5
  done
  echo "run: no Quenora window within $window_timeout s; the screenshot shows the tray only"
}

save_screenshots() {
  import -window root "$screen_png"
  # The tray sits in the bottom right corner: its last 24 rows, 200 columns wide, 4x larger.
  convert "$screen_png" -gravity SouthEast -crop 200x24+0+0 +repage -scale 400% "$tray_png"
  echo "run: screenshot of the screen: $root/$screen_png"
  echo "run: tray, enlarged 4x:        $root/$tray_png"
}

if [[ -z ${DISPLAY:-} ]]; then
  for tool in Xvfb trayer xwininfo xdotool import convert identify; do
    command -v "$tool" >/dev/null || {
      echo "run: $tool is missing; run 'make bootstrap'" >&2
      exit 1
    }
  done
fi

# The display comes first: wine's own desktop and services, started with the server, must
# find it.
headless=0
if [[ -z ${DISPLAY:-} ]]; then
  headless=1
  rm -f "$screen_png" "$tray_png" "$failed_png"
  quenora_start_display 1024x768
  quenora_wait_for_tray 10
fi
# The first start creates the prefix (about 20 s, announced by quenora_prepare_prefix).
quenora_claim_wineserver

if ((!headless)); then
  echo "run: Quenora on $DISPLAY (prefix $WINEPREFIX); its icons go to the desktop's" \
    "system tray. Ctrl-C ends it."
  setsid wine "$exe" &
  program_pid=$!
else
  echo "run: no DISPLAY: Quenora on the virtual display $DISPLAY with a system tray" \
    "(prefix $WINEPREFIX)"
  setsid wine "$exe" &
  program_pid=$!
  if ! wait_for_icon; then
    import -window root "$failed_png" 2>/dev/null &&
      echo "run: the screen as it was then: $root/$failed_png" >&2
    exit 1
  fi
  wait_for_window || true
  save_screenshots
  echo "run: Quenora keeps running; Ctrl-C ends it."
fi

status=0
wait "$program_pid" || status=$?
program_pid=""
echo "run: Quenora ended (exit $status)"
exit "$status"
