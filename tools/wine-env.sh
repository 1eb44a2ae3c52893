# Sourced by the developer scripts: wine's environment, the project's prefix, and a virtual
# display with a system tray for the runs that need one.

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
quenora_pids=()

# A new prefix takes about 20 s; later runs reuse it.
quenora_prepare_prefix() {
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "wine: creating the prefix $WINEPREFIX (once, about 20 s)"
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1
    wineserver -w
  fi
}

quenora_start_wineserver() {
  quenora_prepare_prefix
  wineserver -p 2>/dev/null || true
}

quenora_stop_wineserver() { wineserver -k 2>/dev/null || true; }

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
quenora_start_display() {
  local size=${1:-1024x768}
  DISPLAY=$(quenora_free_display) || { echo "no free X display number" >&2; return 1; }
  export DISPLAY
  Xvfb "$DISPLAY" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  quenora_pids+=($!)
  local _
  for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X${DISPLAY#:} ]] && break; sleep 0.1; done
  trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
    >/dev/null 2>&1 &
  quenora_pids+=($!)
  sleep 0.5
}

quenora_stop_display() {
  local pid
  for pid in "${quenora_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  quenora_pids=()
}
