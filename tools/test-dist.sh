#!/usr/bin/env bash
# Tests the packages of `make dist` under wine, in a wine prefix made afresh for each run
# (build/wineprefix-dist), on a virtual display:
#   - each zip holds Quenora\ with exactly the exe and the help of its build, and the program
#     runs from wherever the zip was unpacked;
#   - the setup installs silently for the user (files, Start-menu shortcut, entry in the list of
#     installed programs, its size counting the installed files only), the installed program
#     runs from there, and a silent setup over a running Quenora ends it first and starts it
#     again when it is through (one that didn't run, it doesn't start), but only the Quenora.exe
#     it installed, and never with an elevated setup's own rights (played by the setup's test
#     build, which dist.sh makes beside the packages);
#   - the uninstaller ends a running Quenora and removes everything the setup and the program
#     left, the settings only with /REMOVESETTINGS; a Quenora that doesn't end makes a silent
#     uninstaller stop with an error and remove nothing;
#   - the winget manifest names the project's version and the setup's SHA-256, and its two
#     installers' switches install for the user and for the machine under its product code;
#     an installer address is written so that it reads back as given, or refused;
#   - /ALLUSERS installs for the machine (Program Files, the HKLM entry, the all-users
#     shortcut, the Active Setup entry whose command writes a user's Run value once, the
#     Application log's event source naming the installed exe), its uninstaller removes them,
#     it stops
#     without administrator rights (played by the test build) and on a file it can't write;
#     a per-user and a machine installation side by side: either uninstalls without touching
#     the other, its running Quenora or the Run value that starts it; outside Program Files
#     the folder gets the rights of Program Files (the icacls calls, as wine has no rights to
#     set), or nothing is installed.
# Builds the packages first when they are missing or older than what they are made of.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

export WINEPREFIX=$root/build/wineprefix-dist
# shellcheck source=tools/wine-env.sh
source tools/wine-env.sh

started=$SECONDS
version=$(sed -nE 's/^project\(Quenora VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
if [[ -z $version ]]; then
  echo "test-dist: no 'project(Quenora VERSION x.y.z' line in CMakeLists.txt" >&2
  exit 1
fi
dist=build/dist
builds=(win32 win64)
setup=$dist/Quenora-$version-setup.exe
test_setup=build/dist-work/Quenora-setup-test.exe
manifests=("$dist/TarnwickSoftware.Quenora.yaml" "$dist/TarnwickSoftware.Quenora.installer.yaml"
  "$dist/TarnwickSoftware.Quenora.locale.de-DE.yaml")
packages=("$setup" "$test_setup" "${manifests[@]}")
for build in "${builds[@]}"; do packages+=("$dist/Quenora-$version-$build.zip"); done

for tool in wine wineserver cmake Xvfb timeout iconv python3 sha256sum; do
  command -v "$tool" >/dev/null || {
    echo "test-dist: $tool is missing; run 'make bootstrap'" >&2
    exit 1
  }
done

# What the packages are made of.
inputs=(installer tools/dist.sh tools/winget-manifest.sh resources/app.ico CMakeLists.txt policies)
for build in "${builds[@]}"; do inputs+=("build/$build/Quenora.exe" "build/$build/hilfe"); done
stale=0
for package in "${packages[@]}"; do
  if [[ ! -f $package || -n $(find "${inputs[@]}" -newer "$package" -print -quit 2>/dev/null) ]]; then
    stale=1
  fi
done
if ((stale)); then
  echo "test-dist: the packages are missing or out of date; running tools/dist.sh"
  tools/dist.sh
fi

# --- Results --------------------------------------------------------------------------------

passed=0
failures=()
pass() {
  echo "  PASS  $1"
  passed=$((passed + 1))
}
fail() {
  echo "  FAIL  $1"
  failures+=("$1")
}
# check DESCRIPTION COMMAND...: the command's status decides; it tells why it failed itself.
check() {
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
section() { echo "--- $* ($((SECONDS - started)) s)"; }
# The summary, and the end of the run.
finish() {
  section "done"
  if ((${#failures[@]})); then
    echo "test-dist: FAIL: ${#failures[@]} of $((passed + ${#failures[@]})) checks failed:"
    printf '  - %s\n' "${failures[@]}"
    exit 1
  fi
  echo "test-dist: PASS: all $passed checks passed in $((SECONDS - started)) s"
  exit 0
}

# --- Wine and the registry ------------------------------------------------------------------

# Every wine command of the test gets a time limit: a dialog that a silent run should never
# show would otherwise wait for ever.
w() { timeout 60 wine "$@" </dev/null; }

# The data of a registry value as `reg query` shows it (numbers as 0x...); fails when missing.
reg_value() {
  local out line
  out=$(w reg query "$1" /v "$2" 2>/dev/null) || return 1
  while IFS= read -r line; do
    line=${line%$'\r'}
    if [[ $line =~ ^\ +([^ ].*[^ ]|[^ ])\ {4}REG_[A-Z_]+\ {4}(.*)$ && ${BASH_REMATCH[1]} == "$2" ]]; then
      printf '%s\n' "${BASH_REMATCH[2]}"
      return 0
    fi
  done <<<"$out"
  return 1
}
reg_key_exists() { w reg query "$1" >/dev/null 2>&1; }

# expect_value KEY NAME DATA
expect_value() {
  local data
  if ! data=$(reg_value "$1" "$2"); then
    echo "        $1 has no value $2" >&2
    return 1
  fi
  [[ $data == "$3" ]] && return 0
  echo "        $1 $2 is '$data', expected '$3'" >&2
  return 1
}
expect_no_value() {
  reg_value "$1" "$2" >/dev/null || return 0
  echo "        $1 still has the value $2" >&2
  return 1
}
expect_key() {
  reg_key_exists "$1" && return 0
  echo "        the key $1 is missing" >&2
  return 1
}
expect_no_key() {
  reg_key_exists "$1" || return 0
  echo "        the key $1 is still there" >&2
  return 1
}

uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quenora'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
vendor_key='HKCU\Software\Tarnwick Software'
settings_key="$vendor_key\\Quenora"

# --- Processes ------------------------------------------------------------------------------

# The live processes of this prefix, as "pid<TAB>Windows command" lines (zombies have none).
prefix_processes() {
  local dir argv0
  for dir in /proc/[0-9]*; do
    grep -qzxF "WINEPREFIX=$WINEPREFIX" "$dir/environ" 2>/dev/null || continue
    IFS= read -r -d '' argv0 <"$dir/cmdline" 2>/dev/null || continue
    [[ -n $argv0 ]] && printf '%s\t%s\n' "${dir#/proc/}" "$argv0"
  done
  return 0
}

# The Windows paths of the running Quenora.exe processes of this prefix, one a line.
quenora_processes() {
  local pid argv0
  while IFS=$'\t' read -r pid argv0; do
    [[ ${argv0,,} == *'\quenora.exe' ]] && printf '%s\n' "$argv0"
  done < <(prefix_processes)
  return 0
}
# Their process ids, one a line.
quenora_process_ids() {
  local pid argv0
  while IFS=$'\t' read -r pid argv0; do
    [[ ${argv0,,} == *'\quenora.exe' ]] && printf '%s\n' "$pid"
  done < <(prefix_processes)
  return 0
}

expect_not_running() {
  local running
  running=$(quenora_processes)
  [[ -z $running ]] && return 0
  echo "        Quenora still runs: $running" >&2
  return 1
}

# Waits up to $2 seconds until the command $1 succeeds.
wait_until() {
  local deadline=$((SECONDS + $2))
  while ((SECONDS < deadline)); do
    "$1" 2>/dev/null && return 0
    sleep 0.3
  done
  "$1"
}
settings_written() { reg_value "$settings_key" OSFat32Support >/dev/null; }
quenora_gone() { [[ -z $(quenora_processes) ]]; }
uninstaller_copy_gone() {
  local pid argv0
  while IFS=$'\t' read -r pid argv0; do
    [[ ${argv0,,} == *'\~nsu'*'.tmp\un'*'.exe'* ]] && return 1
  done < <(prefix_processes)
  return 0
}

quenora_pid=""
# Starts the program at the Windows path $1 and waits until it runs: at its start it writes the
# value OSFat32Support into its settings (removed here first; the other settings stay).
start_quenora() {
  w reg delete "$settings_key" /v OSFat32Support /f >/dev/null 2>&1 || true
  if settings_written; then
    echo "        could not remove OSFat32Support from $settings_key" >&2
    return 1
  fi
  setsid wine "$1" </dev/null >/dev/null 2>&1 &
  quenora_pid=$!
  if ! wait_until settings_written 30; then
    echo "        $1 wrote no settings within 30 s" >&2
    return 1
  fi
  local running
  running=$(quenora_processes)
  [[ $running == "$1" ]] && return 0
  echo "        expected $1 to run, running: ${running:-nothing}" >&2
  return 1
}
# Reaps the program started last, once it has ended.
reap_quenora() {
  [[ -n $quenora_pid ]] || return 0
  if kill -0 "$quenora_pid" 2>/dev/null && [[ -n $(tr -d '\0' <"/proc/$quenora_pid/cmdline" 2>/dev/null) ]]; then
    return 0
  fi
  wait "$quenora_pid" 2>/dev/null || true
  quenora_pid=""
}
# Debian's `wine` runs wine's own tools as 32-bit programs, and wine 8's 32-bit taskkill finds
# no 64-bit program by its name; the 64-bit loader's taskkill finds both kinds.
taskkill=(wine taskkill)
[[ -x /usr/lib/wine/wine64 ]] && taskkill=(/usr/lib/wine/wine64 taskkill)
# Ends Quenora as Windows would: WM_CLOSE to its windows.
close_quenora() {
  timeout 60 "${taskkill[@]}" /im Quenora.exe </dev/null >/dev/null 2>&1 || true
  wait_until quenora_gone 15 || return 1
  reap_quenora
}

# --- Files ----------------------------------------------------------------------------------

# The folders the setup uses, read from wine: Windows and Unix paths.
windows_folder() { w cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }

expect_same_file() {
  cmp -s "$1" "$2" && return 0
  echo "        $2 differs from $1 (or is missing)" >&2
  return 1
}
expect_same_tree() {
  diff -r "$1" "$2" >&2 && return 0
  echo "        $2 differs from $1" >&2
  return 1
}
expect_missing() {
  [[ ! -e $1 ]] && return 0
  echo "        $1 is still there:" >&2
  find "$1" | sed 's/^/          /' >&2
  return 1
}
expect_exists() {
  [[ -e $1 ]] && return 0
  echo "        $1 is missing" >&2
  return 1
}

# --- The zips, without wine -----------------------------------------------------------------

section "the zips"
work=build/test-dist
rm -rf "$work"
mkdir -p "$work"

# Unpacks the zip $1 into the folder $2 (CMake reads zips; unzip may be missing).
unzip_to() {
  local zip_file
  zip_file=$(realpath "$1")
  mkdir -p "$2"
  (cd "$2" && cmake -E tar xf "$zip_file")
}

# The names a zip of the build $1 must hold: Quenora/, the exe, the help with its folders.
expected_zip_names() {
  echo "Quenora/"
  echo "Quenora/Quenora.exe"
  (cd "build/$1" && find hilfe -type d -printf 'Quenora/%p/\n' && find hilfe -type f -printf 'Quenora/%p\n')
  find policies -type d -printf 'Quenora/%p/\n' && find policies -type f -printf 'Quenora/%p\n'
}
expect_zip_names() {
  local got want
  got=$(cmake -E tar tf "$1" | LC_ALL=C sort)
  want=$(expected_zip_names "$2" | LC_ALL=C sort)
  [[ $got == "$want" ]] && return 0
  echo "        $1 holds other files than build/$2:" >&2
  diff <(echo "$want") <(echo "$got") | sed 's/^/          /' >&2
  return 1
}

for build in "${builds[@]}"; do
  zip_file=$dist/Quenora-$version-$build.zip
  check "$build zip: holds Quenora/ with Quenora.exe, hilfe/ and policies/, nothing else" \
    expect_zip_names "$zip_file" "$build"
  unzip_to "$zip_file" "$work/$build"
  check "$build zip: the exe is the $build build's" \
    expect_same_file "build/$build/Quenora.exe" "$work/$build/Quenora/Quenora.exe"
  check "$build zip: the help is the $build build's" \
    expect_same_tree "build/$build/hilfe" "$work/$build/Quenora/hilfe"
  check "$build zip: the administrative templates are the project's" \
    expect_same_tree policies "$work/$build/Quenora/policies"
done
check "the administrative templates lie beside the packages" expect_same_tree policies "$dist/policies"
# Their values and ranges against the program's are checked by `make test`
# (tests/policies); here, that the released ones are what Group Policy's editor can read.
check "the released templates are well-formed and complete" \
  python3 tests/policies/check_templates.py "$dist/policies"

# --- The winget manifest, without wine ------------------------------------------------------

section "the winget manifest"
# Its fields as "name<TAB>value" lines, read with a YAML parser: the files' own keys under the
# file's type, each installer's under its scope.
read_manifest() {
  python3 - "${manifests[@]}" <<'PY'
import sys, yaml
kinds = {}
for path in sys.argv[1:]:
    with open(path, encoding="utf-8") as f:
        m = yaml.safe_load(f)
    kinds[m["ManifestType"]] = m
    for key in ("PackageIdentifier", "PackageVersion", "ManifestVersion"):
        print(f"{m['ManifestType']}.{key}\t{m.get(key, '')}")
print(f"version.DefaultLocale\t{kinds['version'].get('DefaultLocale', '')}")
loc = kinds["defaultLocale"]
for key in ("PackageLocale", "Publisher", "PackageName", "License", "ShortDescription"):
    print(f"defaultLocale.{key}\t{loc.get(key, '')}")
ins = kinds["installer"]
print(f"installer.InstallerType\t{ins.get('InstallerType', '')}")
for node in ins.get("Installers", []):
    merged = {**ins, **node}
    scope = merged.get("Scope", "none")
    switches = {**ins.get("InstallerSwitches", {}), **node.get("InstallerSwitches", {})}
    entry = (merged.get("AppsAndFeaturesEntries") or [{}])[0]
    print(f"{scope}.sha256\t{merged.get('InstallerSha256', '')}")
    print(f"{scope}.url\t{merged.get('InstallerUrl', '')}")
    print(f"{scope}.switches\t{(switches.get('Silent', '') + ' ' + switches.get('Custom', '')).strip()}")
    print(f"{scope}.elevation\t{merged.get('ElevationRequirement', '')}")
    print(f"{scope}.productcode\t{merged.get('ProductCode', '')}")
    print(f"{scope}.displayname\t{entry.get('DisplayName', '')}")
PY
}
declare -A mf=()
manifest_fields=$(read_manifest) || {
  echo "test-dist: the winget manifest can't be read" >&2
  exit 1
}
while IFS=$'\t' read -r name data; do mf[$name]=$data; done <<<"$manifest_fields"

expect_field() {
  [[ ${mf[$1]-} == "$2" ]] && return 0
  echo "        the manifest's $1 is '${mf[$1]-}', expected '$2'" >&2
  return 1
}
expect_fields_set() {
  local name status=0
  for name in "$@"; do
    [[ -n ${mf[$name]-} ]] && continue
    echo "        the manifest has no $name" >&2
    status=1
  done
  return $status
}
one_package() {
  local kind id=${mf[version.PackageIdentifier]-}
  if [[ ! $id =~ ^[A-Za-z0-9]+\.[A-Za-z0-9]+$ ]]; then
    echo "        PackageIdentifier '$id' is not Publisher.Name" >&2
    return 1
  fi
  for kind in version installer defaultLocale; do
    expect_field "$kind.PackageIdentifier" "$id" || return 1
    expect_field "$kind.PackageVersion" "$version" || return 1
    expect_field "$kind.ManifestVersion" "${mf[version.ManifestVersion]}" || return 1
  done
  expect_field defaultLocale.PackageLocale "${mf[version.DefaultLocale]}"
}
setup_sha256=$(sha256sum "$setup" | cut -d' ' -f1)
expect_setup_sha256() {
  local scope got status=0
  for scope in user machine; do
    got=${mf[$scope.sha256]-}
    [[ ${got,,} == "${setup_sha256,,}" ]] && continue
    echo "        the $scope installer's SHA-256 is '$got', the setup's $setup_sha256" >&2
    status=1
  done
  return $status
}
expect_installer_kinds() {
  expect_field installer.InstallerType nullsoft && expect_fields_set user.url machine.url &&
    expect_field machine.elevation elevationRequired && expect_field user.elevation ""
}
expect_locale() {
  expect_field defaultLocale.Publisher "Tarnwick Software" &&
    expect_field defaultLocale.PackageName Quenora &&
    expect_fields_set defaultLocale.License defaultLocale.ShortDescription
}
check "winget: the version, installer and default locale files name one package, version $version" \
  one_package
check "winget: both installers carry the built setup's SHA-256" expect_setup_sha256
check "winget: nullsoft, a user and a machine installer, elevation required for the machine" \
  expect_installer_kinds
check "winget: the default locale names publisher, package, license and a short description" \
  expect_locale
# The manifest of the same setup with other addresses, beside the packages.
url_work=$work/winget
# write_manifest URL: the installers' addresses as a YAML parser reads them, one a line.
write_manifest() {
  rm -rf "$url_work"
  QUENORA_INSTALLER_URL=$1 tools/winget-manifest.sh "$version" "$setup" "$url_work" \
    >/dev/null 2>"$work/winget.err" || return 1
  python3 -c 'import sys, yaml
for node in yaml.safe_load(open(sys.argv[1], encoding="utf-8"))["Installers"]:
    print(node["InstallerUrl"])' "$url_work/TarnwickSoftware.Quenora.installer.yaml"
}
url_read_back() {
  local got
  got=$(write_manifest "$1") && [[ $got == "$1"$'\n'"$1" ]] && return 0
  echo "        '$1' reads back as '$got'" >&2
  return 1
}
url_refused() {
  if ! write_manifest "$1" >/dev/null && grep -q "QUENORA_INSTALLER_URL.*is refused" \
    "$work/winget.err" && [[ ! -e $url_work ]]; then return 0; fi
  echo "        '$1' was not refused with a message, or a manifest was written" >&2
  return 1
}
check "winget: an address with blanks, \" #\", \": \" and quotes reads back as given" \
  url_read_back "https://example.org/Quenora #1 'neu': setup.exe"
long_url=https://example.org/$(printf '%02049d' 0)
for url in ftp://example.org/setup.exe https:// $'https://example.org/a\nb.exe' "$long_url"; do
  label=${url//[[:cntrl:]]/?}
  check "winget: the address '${label:0:30}' is refused" url_refused "$url"
done

# --- Wine -----------------------------------------------------------------------------------

section "a new wine prefix"
# shellcheck disable=SC2317  # called from the trap
cleanup() {
  trap - EXIT
  if [[ -n $quenora_pid ]]; then kill -CONT "$quenora_pid" 2>/dev/null || true; fi
  quenora_release_wineserver
  if [[ -n $quenora_pid ]]; then wait "$quenora_pid" 2>/dev/null || true; fi
  quenora_stop_display
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

if [[ -d $WINEPREFIX ]]; then
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
fi
quenora_start_display 1024x768
quenora_claim_wineserver
if ((!quenora_own_wineserver)); then
  echo "test-dist: another wineserver holds $WINEPREFIX" >&2
  exit 1
fi
quenora_use_wine_desktop 1024x768

local_appdata=$(windows_folder LOCALAPPDATA)
appdata=$(windows_folder APPDATA)
if [[ $local_appdata != [A-Z]:\\* || $appdata != [A-Z]:\\* ]]; then
  echo "test-dist: wine reports no folders: LOCALAPPDATA='$local_appdata' APPDATA='$appdata'" >&2
  exit 1
fi
inst=$local_appdata'\Programs\Quenora'
inst_unix=$(winepath -u "$inst" 2>/dev/null)
inst_unix=${inst_unix%/}
history_unix=$(winepath -u "$local_appdata\\Tarnwick Software\\Quenora\\Verlauf" 2>/dev/null)
history_unix=${history_unix%/}
shortcut_unix=$(winepath -u "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Quenora.lnk" 2>/dev/null)
echo "  installation folder: $inst"

# --- The zips run from any folder -----------------------------------------------------------

for build in "${builds[@]}"; do
  section "the $build zip, unpacked into a folder of its own"
  if [[ $build == win32 ]] && ! quenora_runs_32bit; then
    echo "  SKIP  this machine's kernel runs no 32-bit programs"
    continue
  fi
  folder="C:\\Mein Ordner\\$build"
  unzip_to "$dist/Quenora-$version-$build.zip" "$(winepath -u "$folder")"
  check "$build zip: Quenora runs from $folder\\Quenora" start_quenora "$folder\\Quenora\\Quenora.exe"
  check "$build zip: Quenora ends on WM_CLOSE" close_quenora
  w reg delete "$vendor_key" /f >/dev/null 2>&1 || true
done

# --- Setup, program, uninstaller ------------------------------------------------------------

# Runs the setup silently; $1 is the expected exit code.
expect_setup_status() {
  local status=0
  w "$setup" /S || status=$?
  ((status == $1)) && return 0
  echo "        the setup ended with $status, expected $1" >&2
  return 1
}
install() { expect_setup_status 0; }

check_installation() {
  check "setup: Quenora.exe is the win32 build's" \
    expect_same_file build/win32/Quenora.exe "$inst_unix/Quenora.exe"
  check "setup: the help is next to it (hilfe\\index.htm and the rest)" \
    expect_same_tree build/win32/hilfe "$inst_unix/hilfe"
  check "setup: the uninstaller Deinstallieren.exe is there" \
    expect_exists "$inst_unix/Deinstallieren.exe"
  check "setup: Start-menu shortcut Quenora.lnk pointing at the installed exe" \
    expect_shortcut
  local name data
  while IFS='|' read -r name data; do
    check "setup: uninstall entry $name = $data" expect_value "$uninstall_key" "$name" "$data"
  done <<EOF
DisplayName|Quenora
DisplayVersion|$version
Publisher|Tarnwick Software
DisplayIcon|$inst\\Quenora.exe,0
InstallLocation|$inst
UninstallString|"$inst\\Deinstallieren.exe"
QuietUninstallString|"$inst\\Deinstallieren.exe" /S
NoModify|0x1
NoRepair|0x1
EOF
  check "setup: uninstall entry EstimatedSize fits the installed files" expect_estimated_size
}

# expect_shortcut_to LINK TARGET: a shell link keeps its target's path, in UTF-16 or in the
# ANSI code page.
expect_shortcut_to() {
  expect_exists "$1" || return 1
  local texts
  texts=$(strings -el "$1" && strings "$1")
  [[ ${texts,,} == *"${2,,}"* ]] && return 0
  echo "        $1 does not point at $2" >&2
  return 1
}
expect_shortcut() { expect_shortcut_to "$shortcut_unix" "$inst\\Quenora.exe"; }

expect_estimated_size() {
  local data kib
  data=$(reg_value "$uninstall_key" EstimatedSize) || {
    echo "        no EstimatedSize" >&2
    return 1
  }
  if [[ ! $data =~ ^0x[0-9a-fA-F]+$ ]]; then
    echo "        EstimatedSize is '$data', not a number" >&2
    return 1
  fi
  # What the setup installed, whatever else lies in the folder; in KB, and du counts a little
  # differently (folders), so 10% either way.
  kib=$(du -skc --apparent-size "$inst_unix/Quenora.exe" "$inst_unix/Deinstallieren.exe" \
    "$inst_unix/hilfe" | tail -n 1 | cut -f1)
  if ((data * 10 >= kib * 9 && data * 10 <= kib * 11)); then return 0; fi
  echo "        EstimatedSize is $((data)) KB, the installed files are $kib KB" >&2
  return 1
}

# A silent setup over the running Quenora, which it ends and starts again: the Quenora of
# before is gone, and a new one runs from the installation folder (it wrote its start's
# OSFat32Support again, which is removed here first).
update_over_running_quenora() {
  local before after
  before=$(quenora_process_ids)
  if [[ -z $before ]]; then
    echo "        no Quenora runs before the setup" >&2
    return 1
  fi
  w reg delete "$settings_key" /v OSFat32Support /f >/dev/null 2>&1 || true
  install || return 1
  if ! wait_until settings_written 30; then
    echo "        no Quenora started within 30 s of the setup (it wrote no settings)" >&2
    echo "        running: $(quenora_processes | tr '\n' ' ')" >&2
    return 1
  fi
  after=$(quenora_process_ids)
  if [[ $(quenora_processes) != "$inst\\Quenora.exe" ]]; then
    echo "        expected $inst\\Quenora.exe to run," \
      "running: $(quenora_processes | tr '\n' ' ')" >&2
    return 1
  fi
  [[ $after != "$before" ]] && return 0
  echo "        the Quenora of before the setup (process $before) still runs: it wasn't ended" >&2
  return 1
}

# A big file of the user's own in the installation folder, which the setup must not count.
foreign_file=""
put_foreign_file() {
  foreign_file="$inst_unix/Eigene Notizen.bin"
  head -c $((4 * 1024 * 1024)) /dev/zero >"$foreign_file"
}

# Runs the uninstaller in place (`_?=`: no copy in the temp folder, the run waits and gives its
# exit code; the uninstaller can't delete itself then). $1 is the expected exit code.
uninstall_in_place() {
  local expected=$1 status=0
  shift
  w "$inst\\Deinstallieren.exe" /S "$@" "_?=$inst" || status=$?
  ((status == expected)) && return 0
  echo "        the uninstaller ended with $status, expected $expected" >&2
  return 1
}

# Runs the uninstaller as the list of installed programs does: it copies itself to the temp
# folder, starts the copy and ends; the copy does the work.
uninstall_as_windows_does() {
  local status=0
  w "$inst\\Deinstallieren.exe" /S "$@" || status=$?
  if ((status != 0)); then
    echo "        the uninstaller ended with $status" >&2
    return 1
  fi
  wait_until uninstaller_copy_gone 60 || {
    echo "        the uninstaller's copy did not end within 60 s" >&2
    return 1
  }
}

only_uninstaller_left() {
  local left
  left=$(cd "$inst_unix" && find . -mindepth 1)
  [[ $left == ./Deinstallieren.exe ]] && return 0
  echo "        left in the installation folder: $(echo "$left" | tr '\n' ' ')" >&2
  return 1
}

check_removed() {
  check "uninstaller: Quenora no longer runs" expect_not_running
  check "uninstaller: Run value Quenora removed" expect_no_value "$run_key" Quenora
  check "uninstaller: uninstall entry removed" expect_no_key "$uninstall_key"
  check "uninstaller: Start-menu shortcut removed" expect_missing "$shortcut_unix"
}

set_autostart_and_settings() {
  mkdir -p "$history_unix" && echo x >"$history_unix/Test.verlauf" &&
    w reg add "$run_key" /v Quenora /d "\"$inst\\Quenora.exe\"" /f >/dev/null 2>&1 &&
    w reg add "$settings_key" /v TestWert /t REG_DWORD /d 7 /f >/dev/null 2>&1
}

if ! quenora_runs_32bit; then
  section "passes 1 to 7"
  echo "  SKIP  the setup is a 32-bit program, and this machine's kernel runs no 32-bit programs"
  finish
fi

section "pass 1: setup, Quenora, uninstaller /REMOVESETTINGS while it runs"
check "setup /S succeeds" install
check "setup /S starts no Quenora when none ran" expect_not_running
check_installation
check "Quenora runs from the installation folder" start_quenora "$inst\\Quenora.exe"
check "its help is next to it: hilfe\\index.htm" expect_exists "$inst_unix/hilfe/index.htm"
check "autostart value and settings written" set_autostart_and_settings
check "uninstaller /S /REMOVESETTINGS succeeds" uninstall_in_place 0 /REMOVESETTINGS
reap_quenora
check "uninstaller: every installed file removed (only the running uninstaller left)" \
  only_uninstaller_left
rm -f "$inst_unix/Deinstallieren.exe"
rmdir "$inst_unix" 2>/dev/null || true
check_removed
check "uninstaller: settings key removed" expect_no_key "$settings_key"
check "uninstaller: the then empty vendor key removed" expect_no_key "$vendor_key"
check "uninstaller: the drives' history removed" expect_missing "${history_unix%/Quenora/Verlauf}"

section "pass 2: silent update over a running Quenora, uninstaller without /REMOVESETTINGS"
check "setup /S succeeds" install
check "Quenora runs from the installation folder" start_quenora "$inst\\Quenora.exe"
check "a big file of the user's own lies in the installation folder" put_foreign_file
check "setup /S over the running Quenora ends it and starts it again" update_over_running_quenora
reap_quenora
check_installation
check "setup: the user's own file is left alone" expect_exists "$foreign_file"
rm -f "$foreign_file"
check "autostart value and settings written" set_autostart_and_settings
check "uninstaller /S, run as Windows does, succeeds" uninstall_as_windows_does
reap_quenora
check "uninstaller: installation folder removed, uninstaller included" expect_missing "$inst_unix"
check_removed
check "uninstaller: settings kept" expect_value "$settings_key" TestWert 0x7
check "uninstaller: the drives' history kept" expect_exists "$history_unix/Test.verlauf"

section "pass 3: a Quenora that doesn't end"
w reg delete "$vendor_key" /f >/dev/null 2>&1 || true
check "setup /S succeeds" install
check "Quenora runs from the installation folder" start_quenora "$inst\\Quenora.exe"
# A stopped process takes no messages: it can't end on WM_CLOSE.
kill -STOP "$quenora_pid"
check "uninstaller /S stops with exit code 2" uninstall_in_place 2 /REMOVESETTINGS
check "uninstaller: Quenora.exe left in place" \
  expect_same_file build/win32/Quenora.exe "$inst_unix/Quenora.exe"
check "uninstaller: the help left in place" expect_same_tree build/win32/hilfe "$inst_unix/hilfe"
check "uninstaller: uninstall entry left in place" expect_key "$uninstall_key"
check "uninstaller: settings left in place" expect_key "$settings_key"
check "setup /S over it stops with exit code 2" expect_setup_status 2
kill -CONT "$quenora_pid"
check "Quenora, running again, ends on WM_CLOSE" close_quenora

section "pass 4: whom a silent setup starts again"
# Installed into a folder whose name has a short (8.3) form, so that Quenora can run under
# another spelling of the installed file (/D= takes no quotes: a name without spaces).
alt_inst='C:\EigeneProgramme\Quenora'
check "setup /S /D=$alt_inst succeeds" w "$setup" /S "/D=$alt_inst"
alt_exe=$alt_inst'\Quenora.exe'
alt_exe_short=$(winepath -s "$alt_exe" 2>/dev/null </dev/null)
alt_exe_short=${alt_exe_short,,}
restart_log=$root/$work/restart-details.log
quenora_runs() { [[ -n $(quenora_processes) ]]; }

# restart_case START OPTIONS EXPECTED DETAIL: the test setup, run silently with OPTIONS over a
# Quenora started as START, ends it; afterwards EXPECTED runs, started anew (nothing runs when
# EXPECTED is empty), and the setup's details say DETAIL.
restart_case() {
  local before status=0 details
  start_quenora "$1" || return 1
  before=$(quenora_process_ids)
  w reg delete "$settings_key" /v OSFat32Support /f >/dev/null 2>&1 || true
  rm -f "$restart_log"
  # shellcheck disable=SC2086  # the options are separate words
  w "$test_setup" /S $2 "/TESTLOG=$(winepath -w "$restart_log" </dev/null)" || status=$?
  if ((status != 0)); then
    echo "        the setup ended with $status" >&2
    return 1
  fi
  if [[ -z $3 ]]; then
    # A program the setup starts is there before the setup ends; a little grace all the same.
    if wait_until quenora_runs 3; then
      echo "        expected no Quenora to run, running: $(quenora_processes | tr '\n' ' ')" >&2
      return 1
    fi
  elif ! wait_until settings_written 30 || [[ $(quenora_processes) != "$3" ]] ||
    [[ $(quenora_process_ids) == "$before" ]]; then
    echo "        expected $3 to run, started anew; running: $(quenora_processes | tr '\n' ' ')" \
      "(before the setup: process $before)" >&2
    return 1
  fi
  details=$(iconv -f UTF-16LE -t UTF-8 "$restart_log" 2>/dev/null | tr -d '\r')
  [[ $details == *"$4"* ]] && return 0
  echo "        the setup's details say '$details', expected '$4'" >&2
  return 1
}

# The win32 zip, unpacked there above, is a Quenora.exe that this setup didn't install.
zip_exe='C:\Mein Ordner\win32\Quenora\Quenora.exe'
elevated=/TESTELEVATED=1 not_elevated=/TESTELEVATED=0 token_fails=/TESTTOKENFAILS
while IFS='|' read -r -u 3 what start options expected detail; do
  check "setup /S over Quenora $what" restart_case "$start" "$options" "$expected" "$detail"
  close_quenora || true
done 3<<EOF
run as $alt_exe_short: starts it again|$alt_exe_short||$alt_exe|wurde wieder gestartet
run from the win32 zip's folder: starts none|$zip_exe|||nicht aus dem Installationsordner
elevated, the user's token fails: starts none|$alt_exe|$elevated $token_fails||nicht unter dem Benutzerkonto
not elevated: starts it again with its own rights|$alt_exe|$not_elevated $token_fails|$alt_exe|wurde wieder gestartet
EOF

# --- For the whole machine, beside the per-user installation ---------------------------------

section "pass 5: /ALLUSERS beside the per-user installation"
# The switches and product codes are the manifest's: what winget would run and look for.
user_switches=${mf[user.switches]-} machine_switches=${mf[machine.switches]-}
machine_uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\${mf[machine.productcode]-}"
user_uninstall_key="HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\${mf[user.productcode]-}"
# Windows reads Active Setup in its own (64-bit) view of the registry.
active_setup_key='HKLM\Software\Microsoft\Active Setup\Installed Components\Quenora'
# The Application log's source of Quenora's alarms, which only the machine installation writes.
event_source_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Quenora'
# The Program Files of a 32-bit program, as wine's (32-bit) cmd sees it.
machine_inst=$(windows_folder ProgramFiles)'\Quenora'
machine_unix=$(winepath -u "$machine_inst" 2>/dev/null </dev/null)
machine_unix=${machine_unix%/}
machine_shortcut_unix=$(winepath -u "$(windows_folder ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs\\Quenora.lnk" 2>/dev/null </dev/null)
echo "  machine installation folder: $machine_inst"

# run_setup SETUP EXPECTED OPTIONS...
run_setup() {
  local file=$1 expected=$2 status=0
  shift 2
  w "$file" "$@" || status=$?
  ((status == expected)) && return 0
  echo "        $file $* ended with $status, expected $expected" >&2
  return 1
}
# Runs a command line as Windows does, word for word (no quotes added around an argument
# with blanks, which the uninstaller's _?= takes as the rest of the line): from a batch file.
# $2 is the expected exit code.
run_command_line() {
  local batch=$WINEPREFIX/drive_c/quenora-test.bat status=0
  printf '@%s\r\n@exit /b %%errorlevel%%\r\n' "$1" >"$batch"
  w cmd /c 'C:\quenora-test.bat' || status=$?
  rm -f "$batch"
  ((status == $2)) && return 0
  echo "        '$1' ended with $status, expected $2" >&2
  return 1
}
active_setup_value() { w reg query "$active_setup_key" /v "$1" /reg:64 2>/dev/null | tr -d '\r' |
  sed -nE "s/^ +$1 +REG_[A-Z_]+ +(.*)$/\1/p"; }
expect_active_setup() {
  local stub version installed
  stub=$(active_setup_value StubPath) version=$(active_setup_value Version)
  installed=$(active_setup_value IsInstalled)
  if [[ $stub != "\"$machine_inst\\Deinstallieren.exe\" /USERAUTOSTART _?=$machine_inst" ]]; then
    echo "        Active Setup's StubPath is '$stub'" >&2
    return 1
  fi
  [[ -n $version && $installed == 0x1 ]] && return 0
  echo "        Active Setup's Version is '$version', IsInstalled '$installed'" >&2
  return 1
}
expect_no_active_setup() {
  [[ -z $(active_setup_value StubPath) ]] && return 0
  echo "        the Active Setup entry is still there" >&2
  return 1
}
machine_nothing_there() {
  expect_missing "$machine_unix" && expect_no_key "$machine_uninstall_key" &&
    expect_missing "$machine_shortcut_unix" && expect_no_active_setup &&
    expect_no_key "$event_source_key"
}
still_runs() {
  [[ $(quenora_process_ids) == "$1" && -n $1 ]] && return 0
  echo "        expected Quenora (process $1) to run on, running: $(quenora_process_ids | tr '\n' ' ')" >&2
  return 1
}
# The user's logon as Active Setup runs it: the entry's StubPath, word for word.
run_stub() { run_command_line "$(active_setup_value StubPath)" 0; }
set_run_value() { w reg add "$run_key" /v Quenora /d "$1" /f >/dev/null 2>&1; }
# Pass 4's installation goes first: the per-user setup would update it where it is.
check "the uninstaller of $alt_inst /S succeeds" \
  run_command_line "\"$alt_inst\\Deinstallieren.exe\" /S _?=$alt_inst" 0
rm -rf "$(winepath -u "$alt_inst" 2>/dev/null </dev/null)"
w reg delete "$vendor_key" /f >/dev/null 2>&1 || true
w reg delete "$run_key" /v Quenora /f >/dev/null 2>&1 || true

check "setup $machine_switches without administrator rights stops with exit code 3" \
  run_setup "$test_setup" 3 $machine_switches /TESTELEVATED=0
check "setup: ... and installs nothing for the machine" machine_nothing_there
# shellcheck disable=SC2086  # the manifest's switches are separate words
check "setup $user_switches (the manifest's user scope) succeeds" run_setup "$setup" 0 $user_switches
check "the per-user Quenora runs" start_quenora "$inst\\Quenora.exe"
user_quenora=$(quenora_process_ids)
# shellcheck disable=SC2086
check "setup $machine_switches (the manifest's machine scope) succeeds" \
  run_setup "$setup" 0 $machine_switches
check "setup $machine_switches leaves the per-user Quenora running" still_runs "$user_quenora"
check "machine: Quenora.exe is the win32 build's, in $machine_inst" \
  expect_same_file build/win32/Quenora.exe "$machine_unix/Quenora.exe"
check "machine: the help is next to it" expect_same_tree build/win32/hilfe "$machine_unix/hilfe"
check "machine: the Start-menu shortcut for all users points at it" \
  expect_shortcut_to "$machine_shortcut_unix" "$machine_inst\\Quenora.exe"
while IFS='|' read -r name data; do
  check "machine: HKLM uninstall entry $name = $data" expect_value "$machine_uninstall_key" "$name" "$data"
done <<EOF
DisplayName|${mf[machine.displayname]-}
DisplayVersion|$version
Publisher|${mf[defaultLocale.Publisher]-}
InstallLocation|$machine_inst
QuietUninstallString|"$machine_inst\\Deinstallieren.exe" /S
NoModify|0x1
EOF
check "machine: the per-user entry is still the user's (${mf[user.displayname]-})" \
  expect_value "$user_uninstall_key" DisplayName "${mf[user.displayname]-}"
check "machine: the Active Setup entry runs the uninstaller with /USERAUTOSTART" expect_active_setup
check "machine: the event source Quenora takes its texts from the installed exe" \
  expect_value "$event_source_key" EventMessageFile "$machine_inst\Quenora.exe"
check "... for errors, warnings and information" expect_value "$event_source_key" TypesSupported 0x7
check "machine: the setup writes no Run value itself" expect_no_value "$run_key" Quenora
check "Active Setup's command writes the user's Run value" run_stub
check "... as the program writes it: the machine's exe in quotes and /AUTOSTART" \
  expect_value "$run_key" Quenora "\"$machine_inst\\Quenora.exe\" /AUTOSTART"
set_run_value '"C:\Entfernt\Quenora.exe" /AUTOSTART'
check "Active Setup's command replaces a Run value whose program file is gone" run_stub
check "... by the machine's" expect_value "$run_key" Quenora "\"$machine_inst\\Quenora.exe\" /AUTOSTART"
set_run_value "$inst\\Quenora.exe /AUTOSTART"
check "Active Setup's command leaves a Run value the user has" run_stub
check "... the per-user copy's stays" expect_value "$run_key" Quenora "$inst\\Quenora.exe /AUTOSTART"
machine_version=$(active_setup_value Version)
# shellcheck disable=SC2086
check "setup $machine_switches again, an update, succeeds" run_setup "$setup" 0 $machine_switches
check "machine: the update keeps the Active Setup Version (no autostart again for all)" \
  eval '[[ $(active_setup_value Version) == "$machine_version" ]]'

check "the machine's uninstaller /S, as Windows runs it, succeeds" \
  run_command_line "$(reg_value "$machine_uninstall_key" QuietUninstallString)" 0
check "machine uninstaller: its copy ends" wait_until uninstaller_copy_gone 60
check "machine uninstaller: folder, HKLM entry, shortcut, Active Setup entry and event source removed" \
  machine_nothing_there
check "machine uninstaller: the per-user Quenora runs on" still_runs "$user_quenora"
check "machine uninstaller: the Run value of the per-user copy stays" \
  expect_value "$run_key" Quenora "$inst\\Quenora.exe /AUTOSTART"
check "machine uninstaller: the per-user installation stays" \
  eval 'expect_same_file build/win32/Quenora.exe "$inst_unix/Quenora.exe" &&
    expect_key "$user_uninstall_key" && expect_exists "$shortcut_unix"'
check "the per-user Quenora ends on WM_CLOSE" close_quenora

section "pass 6: the other way round, no rights to uninstall, a file the setup can't write"
# The test build, whose uninstaller plays one without administrator rights too.
acl_log=$root/$work/acl.log
acl_log_windows=$(winepath -w "$acl_log" </dev/null)
# The icacls calls the test build logged, without the path of the system folder (one a line).
acl_calls() { iconv -f UTF-16LE -t UTF-8 "$acl_log" 2>/dev/null | tr -d '\r' |
  sed -nE 's/^"[^"]*\\icacls\.exe" //p'; }
rm -f "$acl_log"
# shellcheck disable=SC2086
check "setup $machine_switches (test build) succeeds" \
  run_setup "$test_setup" 0 "/TESTLOG=$acl_log_windows" $machine_switches
check "setup: in Program Files the folder keeps the rights it has there" eval '[[ -z $(acl_calls) ]]'
check "the machine's uninstaller without administrator rights stops with exit code 3" \
  run_command_line "\"$machine_inst\\Deinstallieren.exe\" /S /TESTELEVATED=0 _?=$machine_inst" 3
check "... and removes nothing" eval 'expect_exists "$machine_unix/Quenora.exe" &&
  expect_key "$machine_uninstall_key" && expect_active_setup && expect_exists "$machine_shortcut_unix"'
w reg delete "$run_key" /v Quenora /f >/dev/null 2>&1 || true
check "Active Setup's command writes the machine's Run value" run_stub
check "the machine's Quenora runs" start_quenora "$machine_inst\\Quenora.exe"
machine_quenora=$(quenora_process_ids)
check "the per-user uninstaller /S succeeds" uninstall_in_place 0
check "per-user uninstaller: the machine's Quenora runs on" still_runs "$machine_quenora"
check "per-user uninstaller: the Run value of the machine's copy stays" \
  expect_value "$run_key" Quenora "\"$machine_inst\\Quenora.exe\" /AUTOSTART"
check "per-user uninstaller: the machine's installation stays" \
  eval 'expect_same_file build/win32/Quenora.exe "$machine_unix/Quenora.exe" &&
    expect_key "$machine_uninstall_key" && expect_active_setup'
check "per-user uninstaller: its own entry removed" expect_no_key "$user_uninstall_key"
rm -rf "$inst_unix"
check "the machine's uninstaller /S, in place, succeeds" \
  run_command_line "\"$machine_inst\\Deinstallieren.exe\" /S _?=$machine_inst" 0
reap_quenora
check "machine uninstaller: its running Quenora ended" expect_not_running
check "machine uninstaller: its Run value removed" expect_no_value "$run_key" Quenora
check "machine uninstaller: the settings stay (each user's own)" expect_key "$settings_key"
rm -rf "$machine_unix"
mkdir -p "$machine_unix/Quenora.exe"
# shellcheck disable=SC2086
check "setup $machine_switches where Quenora.exe can't be written stops with exit code 4" \
  run_setup "$setup" 4 $machine_switches
check "setup $machine_switches without a per-user installation beside chose $machine_inst too" \
  expect_value "$machine_uninstall_key" InstallLocation "$machine_inst"

section "pass 7: /ALLUSERS into a folder outside Program Files"
tools_inst='C:\Werkzeuge\Quenora'
tools_unix=$(winepath -u "$tools_inst" 2>/dev/null </dev/null)
expect_acl_calls() {
  local want
  want=$(printf '"%s" %s\n' "$tools_inst" "/setowner *S-1-5-32-544 /T /Q" "$tools_inst" \
    "/reset /T /Q" "$tools_inst" "/inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F \
*S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX /Q")
  [[ $(acl_calls) == "$want" ]] && return 0
  echo "        the setup called icacls so:" >&2
  acl_calls | sed 's/^/          /' >&2
  return 1
}
rm -f "$acl_log"
# shellcheck disable=SC2086
check "setup $machine_switches /D=$tools_inst where its rights can't be set stops with exit code 5" \
  run_setup "$test_setup" 5 /TESTACLFAILS "/TESTLOG=$acl_log_windows" $machine_switches \
  "/D=$tools_inst"
check "setup: ... and leaves neither the folder nor another installation place" \
  eval 'expect_missing "$tools_unix" &&
    expect_value "$machine_uninstall_key" InstallLocation "$machine_inst"'
rm -f "$acl_log"
# shellcheck disable=SC2086
check "setup $machine_switches /D=$tools_inst succeeds" \
  run_setup "$test_setup" 0 "/TESTLOG=$acl_log_windows" $machine_switches "/D=$tools_inst"
check "setup: icacls makes the administrators its owner, them and SYSTEM full, users read" \
  expect_acl_calls
check "setup: Quenora.exe in $tools_inst" \
  expect_same_file build/win32/Quenora.exe "$tools_unix/Quenora.exe"
# shellcheck disable=SC2086
# The setup itself takes no /D= of a drive's root; one that only leads there must not slip by.
check "setup $machine_switches /D=C:\\Werkzeuge\\.. (a drive's root) stops with exit code 5" \
  run_setup "$setup" 5 $machine_switches '/D=C:\Werkzeuge\..'

# --- Summary --------------------------------------------------------------------------------

finish
