# shellcheck shell=bash
# Sourced by the developer scripts: wine's environment, the project's prefix, and a virtual
# display with a system tray for the runs that need one.

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
quenora_pids=()

# Whether this machine runs the 32-bit build: a kernel without IA32 emulation runs no 32-bit
# program, and wine's 32-bit loader is one. There only the 64-bit build runs, with wine's 64-bit
# loader started directly (tools/wine64).
quenora_runs_32bit() { [[ ${QUENORA_NO_32BIT:-0} != 1 ]]; }
if [[ -x /usr/lib/wine/wine64 ]] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  export QUENORA_NO_32BIT=1 PATH=$root/tools/wine64:$PATH
fi

# A new prefix takes about 20 s; later runs reuse it.
quenora_prepare_prefix() {
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "wine: creating the prefix $WINEPREFIX (once, about 20 s)"
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1
    wineserver -w
  fi
  # Wine draws the title bar's buttons with Marlett, and the dialog font "MS Shell Dlg 2" is
  # Tahoma, as on Windows; Debian ships both with wine, but a prefix may not see them.
  local font fonts=$WINEPREFIX/drive_c/windows/Fonts
  for font in marlett.ttf tahoma.ttf tahomabd.ttf; do
    if [[ -f /usr/share/wine/fonts/$font && -d $fonts && ! -f $fonts/$font ]]; then
      cp "/usr/share/wine/fonts/$font" "$fonts/"
    fi
  done
}

quenora_start_wineserver() {
  quenora_prepare_prefix
  wineserver -p 2>/dev/null || true
  quenora_start_wine_services
}

# The first program in a new server starts wine's own services, which then live as long as the
# server does. Started here with their output going nowhere, they don't hold on to the output
# pipe of whatever program happens to come first (a test listing its cases, for one).
quenora_start_wine_services() {
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Every window of the prefix on one wine desktop of its own: without a window manager on the
# virtual display, wine waits for one on each hide and show (about 2 s); on its own desktop it
# doesn't. The desktop has its own taskbar and tray.
quenora_use_wine_desktop() {
  local size=${1:-1024x768}
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$size" /f >/dev/null 2>&1
}

quenora_stop_wineserver() { wineserver -k 2>/dev/null || true; }

# Like the pair above, for runs that may share the prefix with another one (a test run, the
# user's own programs): a persistent server is started only when none holds the prefix yet
# (wineserver exits with 2 when another one has the lock), and only that one is stopped again.
quenora_own_wineserver=0
quenora_claim_wineserver() {
  quenora_prepare_prefix
  local status=0
  wineserver -p 2>/dev/null || status=$?
  case $status in
    0) quenora_own_wineserver=1 ;;
    2) quenora_own_wineserver=0 ;;
    *)
      echo "wine: could not start a wineserver for $WINEPREFIX (exit $status)" >&2
      return 1
      ;;
  esac
  quenora_start_wine_services
}

quenora_release_wineserver() {
  if ((quenora_own_wineserver)); then
    wineserver -k 2>/dev/null || true
    quenora_own_wineserver=0
  fi
}

quenora_free_display() {
  local n
  for n in $(seq 90 140); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    echo ":$n"
    return 0
  done
  return 1
}

# A private Xvfb with a system tray at the bottom right, as a person's desktop would have.
# Both run in a session of their own: a Ctrl-C in the terminal reaches the script, which then
# ends its programs while their display is still there, and stops the display last.
quenora_start_display() {
  local size=${1:-1024x768}
  DISPLAY=$(quenora_free_display) || { echo "no free X display number" >&2; return 1; }
  export DISPLAY
  setsid Xvfb "$DISPLAY" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  quenora_pids+=($!)
  local _
  for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X${DISPLAY#:} ]] && break; sleep 0.1; done
  setsid trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
    >/dev/null 2>&1 &
  quenora_pids+=($!)
  sleep 0.5
}

quenora_stop_display() {
  local pid
  for pid in "${quenora_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${quenora_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  quenora_pids=()
}

# The window id of trayer's panel, empty while trayer has not mapped it yet.
quenora_tray_panel() {
  xwininfo -root -tree 2>/dev/null | awk '/"panel": \("panel" "trayer"\)/ { print $1; exit }'
}

# Waits up to $1 seconds (default 10) for the tray, so that icons added afterwards are docked.
quenora_wait_for_tray() {
  local limit=${1:-10} _
  for _ in $(seq $((limit * 10))); do
    [[ -n $(quenora_tray_panel) ]] && return 0
    sleep 0.1
  done
  echo "no system tray (trayer) appeared on $DISPLAY within $limit s" >&2
  return 1
}
