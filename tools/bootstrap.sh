#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, test and run Quenora:
# the mingw-w64 cross compilers, wine (32- and 64-bit), a virtual X display with a
# system tray, and the native test tools. A machine that has everything pays one
# dpkg query and nothing else.
set -euo pipefail

packages=(
  cmake ninja-build make g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
  wine wine32:i386 wine64 fonts-wine
  xvfb xauth x11-utils imagemagick trayer xdotool nsis zip python3-yaml
)

installed=$(dpkg-query -W -f='${Package}:${Architecture} ${db:Status-Status}\n' 2>/dev/null || true)
is_installed() {
  local name=${1%%:*} arch=""
  [[ $1 == *:* ]] && arch=${1#*:}
  awk -v n="$name" -v a="$arch" '
    { split($1, pa, ":") }
    pa[1] == n && (a == "" || pa[2] == a) && $2 == "installed" { found = 1 }
    END { exit !found }' <<<"$installed"
}

missing=()
for p in "${packages[@]}"; do
  is_installed "$p" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "bootstrap: missing packages: ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=""
  if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    sudo_cmd="sudo"
  else
    cat >&2 <<MSG
bootstrap: installing them needs root. Run as root (or with password-less sudo):
  dpkg --add-architecture i386 && apt-get update
  apt-get install -y --no-install-recommends ${missing[*]}
MSG
    exit 1
  fi
else
  sudo_cmd=""
fi

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo_cmd dpkg --add-architecture i386
fi
$sudo_cmd apt-get update -qq
$sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "bootstrap: installed ${#missing[@]} packages"
