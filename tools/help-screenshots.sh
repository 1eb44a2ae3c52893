#!/usr/bin/env bash
# Full-page screenshots of every help page as a browser shows it, 1280 and 400 pixels wide, in
# headless Chromium; Debian's chromium is installed first where it is missing (as root, or with
# password-less sudo). Not part of `make test`: the pictures are for a person to look at.
#
#   tools/help-screenshots.sh [OUT_DIR]     default: build/help-screenshots
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=${1:-build/help-screenshots}
mkdir -p "$out"

if ! command -v chromium >/dev/null; then
  echo "help-screenshots: installing chromium"
  sudo_cmd=""
  [[ $(id -u) -ne 0 ]] && sudo_cmd="sudo -n"
  $sudo_cmd apt-get install -y --no-install-recommends chromium >/dev/null
fi
command -v convert >/dev/null || { echo "help-screenshots: convert (imagemagick) is missing" >&2; exit 1; }

# The window is taller than any page; the empty part below the page is cut off afterwards.
tallest=16000
for page in hilfe/*.htm; do
  name=$(basename "$page" .htm)
  for width in 1280 400; do
    shot=$out/$name-$width.png
    chromium --headless=new --no-sandbox --disable-gpu --hide-scrollbars \
      --force-device-scale-factor=1 --window-size="$width,$tallest" \
      --screenshot="$shot" "file://$root/$page" >/dev/null 2>&1
    convert "$shot" -define trim:edges=south -trim +repage "$shot"
    height=$(identify -format %h "$shot")
    if ((height >= tallest)); then
      echo "help-screenshots: $shot may be cut off at $tallest pixels" >&2
    fi
    echo "help-screenshots: $shot (${width}x$height)"
  done
done
