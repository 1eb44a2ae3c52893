#!/usr/bin/env bash
# Packs the built program for handing out, into build/dist/:
#   Quenora-<version>-win32.zip, Quenora-<version>-win64.zip   a folder Quenora\ with the exe of
#       that build and its help, to run from wherever it is unpacked, and the administrative
#       templates (policies\Quenora.admx with its de-DE and en-US language files);
#   policies\   the same templates beside the packages;
#   Quenora-<version>-setup.exe   the German setup (NSIS, installer/Quenora.nsi): the 32-bit
#       build, per user, without administrator rights, with an uninstaller; with /ALLUSERS,
#       run elevated, for the whole machine;
#   TarnwickSoftware.Quenora{,.installer,.locale.de-DE}.yaml   the setup's winget manifest in
#       the multi-file form that winget-pkgs takes: the version, the installer (one for each
#       scope, with the setup's SHA-256) and the German default locale, written by
#       tools/winget-manifest.sh. The installer's address is QUENORA_INSTALLER_URL, or where
#       the vendor's site would publish it.
# Needs the win32 and win64 builds (`make dist` makes them first), zip and makensis.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

dist=build/dist
work=build/dist-work
builds=(win32 win64)
# The zips and the setup of one build together must stay below this many bytes.
size_limit=$((1024 * 1024))

fail() {
  echo "dist: $*" >&2
  exit 1
}

for tool in zip makensis strings convert identify compare; do
  command -v "$tool" >/dev/null || fail "$tool is missing; run 'make bootstrap'"
done

version=$(sed -nE 's/^project\(Quenora VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
[[ -n $version ]] || fail "no 'project(Quenora VERSION x.y.z' line in CMakeLists.txt"
IFS=. read -r major minor patch <<<"$version"
# The exe's version record writes the version as 1.00.0024.
file_version=$(printf '%d.%02d.%04d' "$major" "$minor" "$patch")

for build in "${builds[@]}"; do
  exe=build/$build/Quenora.exe
  [[ -f $exe ]] || fail "$exe is missing; build it with 'make $build'"
  [[ -f build/$build/hilfe/index.htm ]] ||
    fail "build/$build/hilfe/index.htm is missing; build it with 'make $build'"
  # The version in the file names must be the one the exe carries.
  strings -el "$exe" | grep -qxF "$file_version" ||
    fail "$exe does not carry the version $file_version (CMakeLists.txt says $version);" \
      "are resources/Version.rc and CMakeLists.txt in step?"
done

# File dates in the zips: the last commit's time (or SOURCE_DATE_EPOCH), so that packing the
# same sources twice gives the same zips.
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
export TZ=UTC

rm -rf "$dist" "$work"
mkdir -p "$dist" "$work"

# Copies build/<build>/Quenora.exe and its help to $2/.
stage() {
  mkdir -p "$2"
  cp build/"$1"/Quenora.exe "$2"/
  cp -R build/"$1"/hilfe "$2"/hilfe
  find "$2" -exec touch -h -d "@$epoch" {} +
}

# The administrative templates for Group Policy and Intune go with the zips and beside them.
cp -R policies "$dist"/policies
for build in "${builds[@]}"; do
  stage "$build" "$work/$build/Quenora"
  cp -R policies "$work/$build/Quenora"/policies
  find "$work/$build/Quenora/policies" -exec touch -h -d "@$epoch" {} +
  zip_file=$root/$dist/Quenora-$version-$build.zip
  (cd "$work/$build" && find Quenora | LC_ALL=C sort | zip -9 -X -q "$zip_file" -@)
  echo "dist: $dist/${zip_file##*/}"
done

# The setup: the 32-bit build, and the list of the help's files and folders for the
# uninstaller (it removes what the setup installed, nothing else).
setup_stage=$root/$work/setup
stage win32 "$setup_stage"
{
  echo "; Written by tools/dist.sh: the help's files and folders, deepest first."
  while IFS= read -r path; do
    [[ $path =~ ^[A-Za-z0-9._/-]+$ ]] ||
      fail "the help's file name '$path' has characters the setup script can't take"
    if [[ -d $setup_stage/$path ]]; then
      echo "RMDir \"\$INSTDIR\\${path//\//\\}\""
    else
      echo "Delete \"\$INSTDIR\\${path//\//\\}\""
    fi
  done < <(cd "$setup_stage" && find hilfe | LC_ALL=C sort -r)
} >"$setup_stage/uninstall-files.nsh"

# The setup's icon is the program's, with its large pictures stored as PNG (as Windows Vista
# and later read them): NSIS keeps the icon uncompressed in the setup and its uninstaller,
# and a 256-pixel picture as a bitmap alone is 270 KB. Every picture must stay the same.
icon=resources/app.ico
setup_icon=$root/$work/setup.ico
convert "$icon" "$setup_icon"
frames=$(identify "$icon" | wc -l)
[[ $(identify "$setup_icon" | wc -l) == "$frames" ]] ||
  fail "$setup_icon does not have the $frames pictures of $icon"
for ((i = 0; i < frames; i++)); do
  compare -metric AE "${icon}[$i]" "${setup_icon}[$i]" null: 2>/dev/null ||
    fail "picture $i of $setup_icon differs from $icon"
done

# makensis OUTFILE [DEFINE...]
build_setup() {
  local outfile=$1
  shift
  makensis -V2 -DVERSION="$version" -DFILE_VERSION="$file_version" \
    -DSTAGE="$setup_stage" -DICON="$setup_icon" -DOUTFILE="$outfile" "$@" \
    installer/Quenora.nsi || fail "makensis failed on installer/Quenora.nsi"
}
setup_file=$root/$dist/Quenora-$version-setup.exe
build_setup "$setup_file"
echo "dist: $dist/${setup_file##*/}"
# The winget manifest of the setup just built.
tools/winget-manifest.sh "$version" "$setup_file" "$dist" || fail "no winget manifest"

# The same setup with the hooks that tools/test-dist.sh plays an elevated setup with; it stays
# in the work folder and is never handed out.
build_setup "$root/$work/Quenora-setup-test.exe" -DTEST_HOOKS

# The sizes: each zip with the setup must stay below the limit.
size() { stat -c %s "$1"; }
kib() { echo "$((($1 + 1023) / 1024)) KB"; }
setup_size=$(size "$setup_file")
status=0
echo "dist: sizes"
for build in "${builds[@]}"; do
  zip_size=$(size "$root/$dist/Quenora-$version-$build.zip")
  printf '  %-32s %8d bytes  (%s)\n' "Quenora-$version-$build.zip" "$zip_size" "$(kib "$zip_size")"
done
printf '  %-32s %8d bytes  (%s)\n' "${setup_file##*/}" "$setup_size" "$(kib "$setup_size")"
for build in "${builds[@]}"; do
  zip_size=$(size "$root/$dist/Quenora-$version-$build.zip")
  total=$((zip_size + setup_size))
  if ((total >= size_limit)); then
    echo "dist: the $build zip and the setup together are $(kib "$total"), not below" \
      "$(kib "$size_limit")" >&2
    status=1
  else
    echo "  $build zip + setup: $(kib "$total") (limit $(kib "$size_limit"))"
  fi
done
exit $status
