#!/usr/bin/env bash
# The help's pictures of the real program, as a person sees it on an ordinary PC: the four pages
# of the options window, the dialog "Alarmgrenze für Laufwerk D:" and the window "Was belegt
# Platz auf D:?" after a second scan. Taken at 96 dpi on a wine desktop of its own on a private
# virtual display, like tools/screenshot-options.sh, and written to hilfe/bilder/; last the
# history window "Verlauf von D: »DATEN«", shown with the weeks of a made-up drive by the
# history bench that was built beside EXE (a real history takes weeks to record). Not part of
# `make test`: a person looks at the pictures before they are committed.
#
#   tools/help-pictures.sh [EXE]     default: build/win32/Quenora.exe
#
# The PC has the drives a user's would have, the same on every machine: C: "SYSTEM" and
# D: "DATEN" are sparse ext4 images of 256 and 320 GB (a few MB on disk, however full they
# are: their files are allocated, never written), N: a network drive, and no Z: (the Linux root
# that wine adds). Mounting the images needs root; everything is unmounted again on exit.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
exe=$(realpath "${1:-build/win32/Quenora.exe}")
out=$root/hilfe/bilder
if [[ ! -f $exe ]]; then
  echo "help-pictures: $exe is missing; build it with 'make win32'" >&2
  exit 1
fi
if ((EUID != 0)); then
  echo "help-pictures: needs root for its mounts" >&2
  exit 1
fi
for tool in wine xdotool import convert mkfs.ext4 fallocate; do
  command -v "$tool" >/dev/null || { echo "help-pictures: $tool is missing" >&2; exit 1; }
done

# Always this prefix, never one from the environment: the script rewires its drives.
export WINEPREFIX=$root/build/wineprefix-pictures
# shellcheck source=tools/wine-env.sh
source tools/wine-env.sh
disks=$root/build/pictures-drives
dosdevices=$WINEPREFIX/dosdevices
key='HKCU\Software\Tarnwick Software\Quenora'

# Everything mounted below $disks, the last mount first (an overlay before the disk under it).
unmount_disks() {
  local target
  tac /proc/mounts | awk -v disks="$disks/" 'index($2, disks) == 1 { print $2 }' |
    while read -r target; do umount "$target" || umount -l "$target" || true; done
}

# The prefix's drives as wine made them, so that the prefix works without the mounts.
default_drives() {
  [[ -d $dosdevices ]] || return 0
  rm -f "$dosdevices"/[a-z]:
  ln -s ../drive_c "$dosdevices/c:"
  ln -s / "$dosdevices/z:"
}

cleanup() {
  wineserver -k 2>/dev/null || true
  quenora_stop_display
  unmount_disks
  if ! grep -q " $disks/" /proc/mounts; then rm -rf --one-file-system "$disks"; fi
  default_drives
}

# A disk of $2 bytes with the label $3, reached at $disks/$1, showing the folder $4 and whatever
# is written to it. Wine takes a label from a file .windows-label in a drive's root, but for the
# mount point of a block device it reads the device instead and knows no ext4: an overlay in
# between has no device, and it passes the ext4's size and free space through.
make_disk() {
  local name=$1 bytes=$2 label=$3 lower=$4 disk=$disks/$1-disk
  truncate -s "$bytes" "$disks/$name.img"
  mkfs.ext4 -q -F -m 0 -N 65536 -E lazy_itable_init=1,lazy_journal_init=1 "$disks/$name.img"
  mkdir -p "$disk" "$disks/$name"
  mount -o loop,noinit_itable "$disks/$name.img" "$disk"
  mkdir "$disk/upper" "$disk/work"
  mount -t overlay overlay \
    -o "lowerdir=$lower,upperdir=$disk/upper,workdir=$disk/work" "$disks/$name"
  printf '%s' "$label" >"$disks/$name/.windows-label"
}

# $2 files in the folder $1 of D:, named by the printf pattern $3 from number $4 on, each about
# $5 MB (they differ a little, as real ones do).
files() {
  local folder=$disks/d/$1 count=$2 pattern=$3 first=$4 size=$5 i name
  mkdir -p "$folder"
  for ((i = 0; i < count; i++)); do
    # shellcheck disable=SC2059
    name=$(printf "$pattern" $((first + i)))
    fallocate -l $((size * 1048576 * (90 + (i * 37) % 21) / 100)) "$folder/$name"
  done
}

# The data disk of someone who films, takes photographs and keeps a backup of the laptop,
# about two thirds full: its free space fits the drive list's narrow state column.
fill_data_disk() {
  files 'Videos/Urlaub 2023' 15 'GX01%04d.MP4' 2231 3800
  files 'Videos/Familie' 6 'Familienfest %d.mp4' 1 4900
  files 'Videos/Filme' 8 'Film %02d.mkv' 1 2300
  files 'Backup/Laptop 2024-03' 1 'Laptop.vhdx' 0 41000
  files 'Backup/Handy' 1 'Handy 2024-11.zip' 0 12500
  files 'Fotos/2022' 330 'IMG_%04d.CR3' 1012 26
  files 'Fotos/2023' 420 'IMG_%04d.CR3' 1342 26
  files 'Fotos/2024' 480 'IMG_%04d.CR3' 1762 26
  files 'Projekte/Hochzeitsfilm' 10 'Schnitt %02d.mov' 1 1200
  files 'Projekte/Hausbau' 60 'Plan %02d.pdf' 1 22
  local album
  for album in $(seq 1 30); do
    files "Musik/Album $album" 12 'Titel %02d.flac' 1 28
  done
  files 'Dokumente/Steuer' 40 'Beleg %03d.pdf' 1 3
  files 'Dokumente/Versicherungen' 25 'Vertrag %02d.pdf' 1 2
}

# The rectangle (WxH+X+Y) of the shown window whose title matches $1, once there. Wine gives
# each top-level window an X window inside its desktop; the hidden ones stay at 1x1.
window_rect() {
  local id _ x y width height
  for _ in $(seq 60); do
    for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
      read -r x y width height < <(xwininfo -id "$id" | awk -F: '
        /Absolute upper-left X/ { x = $2 } /Absolute upper-left Y/ { y = $2 }
        /Width/ { w = $2 } /Height/ { h = $2 } END { print x, y, w, h }')
      if ((width > 50 && height > 50)); then
        echo "${width}x$height+$x+$y"
        return 0
      fi
    done
    sleep 0.5
  done
  import -window root "$root/build/help-pictures-failed.png"
  echo "help-pictures: no window '$1' appeared; the screen: build/help-pictures-failed.png" >&2
  return 1
}

# hilfe/bilder/$1.png: the window whose title matches $2, frame included, with a palette, which
# halves the file. A window of up to 256 colours keeps them exactly. The pages have more, in the
# shading of their pictures: reduced to 256 without dithering, they can't be told apart (PSNR
# above 50 dB; dithering would mottle the plain grey). Without its time stamps the file changes
# only when the picture does.
picture() {
  local rect reduce=()
  rect=$(window_rect "$2")
  import -window root "$disks/screen.png"
  convert "$disks/screen.png" -crop "$rect" +repage "$disks/window.png"
  if (($(identify -format %k "$disks/window.png") > 256)); then reduce=(+dither -colors 256); fi
  convert "$disks/window.png" "${reduce[@]}" -strip -define png:exclude-chunks=date,time \
    "PNG8:$out/$1.png"
  echo "help-pictures: $out/$1.png ($rect)"
}

# Keys go to the X window that has the focus: wine hands it on to whichever of its windows it
# makes active (the options window, then a dialog over it).
press() {
  xdotool key "$@"
  sleep 1
}

start_quenora() {
  # From its folder on C:, the only unix folder wine can reach without Z:.
  (cd "$disks/c/Quenora" && exec wine 'C:\Quenora\Quenora.exe' >/dev/null 2>&1) &
  window_rect '^Quenora$' >/dev/null
  sleep 3  # the drives' states fill in
}

trap cleanup EXIT
trap 'exit 130' INT TERM
wineserver -k 2>/dev/null || true
unmount_disks  # left over from a run that was killed
default_drives
quenora_start_display 1024x768
xdotool mousemove 1000 10  # out of the way of every window
quenora_start_wineserver

wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
quenora_use_wine_desktop 1024x768
# German numbers: the program writes them with the user's decimal separator.
wine reg add 'HKCU\Control Panel\International' /v sDecimal /d , /f >/dev/null 2>&1
wine reg add 'HKCU\Control Panel\International' /v sThousand /d . /f >/dev/null 2>&1
# N: is a network drive. Wine's mount manager is a 64-bit service and reads the drives' types
# from the 64-bit view of this key when it starts.
wine reg add 'HKLM\Software\Wine\Drives' /v n: /d network /f /reg:64 >/dev/null 2>&1
# Without "DoneBefore" the options window opens at the start; C: and D: are monitored.
wine reg delete "$key" /f >/dev/null 2>&1 || true
wine reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Quenora /f \
  >/dev/null 2>&1 || true
wine reg add "$key" /v DriveList /d CD /f >/dev/null 2>&1
wineserver -k  # the DPI and the drives are read when the server starts

mkdir -p "$disks/empty"
make_disk c 256060514304 SYSTEM "$WINEPREFIX/drive_c"
fallocate -l 165G "$disks/c-disk/used"  # Windows and the programs, out of sight
make_disk d 320072933376 DATEN "$disks/empty"
fill_data_disk
mkdir -p "$disks/nas"
rm -f "$dosdevices"/[a-z]:
ln -s "$disks/c" "$dosdevices/c:"
ln -s "$disks/d" "$dosdevices/d:"
ln -s "$disks/nas" "$dosdevices/n:"
mkdir -p "$disks/c/Quenora"
cp "$exe" "$disks/c/Quenora/Quenora.exe"

# The options window, page by page; the list shows the drives' states.
quenora_start_wineserver
start_quenora
for page in laufwerke testintervall alarm autostart; do
  picture "seite-$page" '^Quenora$'
  press ctrl+Tab
done

# D: gets a limit of its own and an early warning, read at the program's next start. Not for the
# pages: in the drive list they follow the state ("94,3 GB = 32%, Grenze 10 %, ..."), which the
# column then cuts short, and wine's list shows no tooltip with the whole text.
wine reg add "$key" /v DriveLimits /d 'D=10%' /f >/dev/null 2>&1
wine reg add "$key" /v DriveWarnings /d 'D=20%' /f >/dev/null 2>&1
wineserver -k

# The scan window's times at about two in the afternoon, whenever the script runs: a time zone
# of the minutes between now and 14:04 (POSIX counts the hours west of Greenwich).
now=$(date -u +%s)
ahead=$(((((14 * 3600 + 4 * 60 - now % 86400) / 60) % 1440 + 1440) % 1440))
if ((ahead > 720)); then ahead=$((ahead - 1440)); fi
if ((ahead >= 0)); then sign=-; else sign=+ ahead=$((-ahead)); fi
export TZ
TZ=$(printf 'QNR%s%d:%02d' "$sign" $((ahead / 60)) $((ahead % 60)))
quenora_start_wineserver
start_quenora

# The limit dialog of D:, from the list's context menu: the list is next after the tab strip,
# and D: its second entry.
press Tab
press Home
press Down
press shift+F10
press a  # "&Alarmgrenze für D: …"
picture grenze '^Alarmgrenze für Laufwerk D:$'
press alt+a  # "&Abbrechen"

# The scan window of D:, after a first scan, some new files a minute later and a second scan;
# a check of the drive brings its new free space into the window's head.
press shift+F10
press w  # "&Was belegt Platz auf D:?"
window_rect '^Was belegt Platz auf D:\?$' >/dev/null
sleep 3  # the first scan takes a second or two
# The second scan in the next minute, so that it and "seit" in the growth column differ.
sleep $((63 - 10#$(date +%S)))
files 'Videos/Urlaub 2024' 2 'GX01%04d.MP4' 412 3900
files 'Fotos/2024' 45 'IMG_%04d.CR3' 2242 26
press alt+n  # "&Neu durchsuchen"
sleep 12
picture platz '^Was belegt Platz auf D:\?$'

# The history window, at the week with its hourly band, the alarm limit, the early level and
# the forecast on to the limit.
cp "$(dirname "$exe")/bench/history_bench.exe" "$disks/c/Quenora/"
(cd "$disks/c/Quenora" && exec wine 'C:\Quenora\history_bench.exe' show 1 >/dev/null 2>&1) &
picture verlauf '^Verlauf von D: '
