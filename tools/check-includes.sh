#!/usr/bin/env bash
# Checks that the includes of src/ point one way:
#
#   util  <-  platform (interfaces)  <-  monitor, settings, tray, help, scan, history  <-  ui
#         <-  main.cpp
#
# platform/win32 implements the interfaces: it includes util, platform and itself, and only
# ui and main.cpp include it. monitor, settings, tray, help, scan and history don't include each
# other; the window joins them. Only platform/win32, ui and main.cpp include the Windows headers.
#
# Usage: tools/check-includes.sh [SRC_DIR]. Prints one line per include that points the wrong
# way and exits with 1 when there is one.
set -uo pipefail
src=${1:-$(cd "$(dirname "$0")/../src" && pwd)}

# Layers, low to high; platform/win32 sits between the interfaces and the subsystems.
#   util 0 | platform 10 | platform/win32 15 | monitor settings tray help scan history 20 |
#   ui 30 | main 40
layer_of() {
  case $1 in
    util/*) echo 0 ;;
    platform/win32/*) echo 15 ;;
    platform/*) echo 10 ;;
    monitor/* | settings/* | tray/* | help/* | scan/* | history/*) echo 20 ;;
    ui/*) echo 30 ;;
    main.cpp) echo 40 ;;
    *) echo "" ;;
  esac
}

name_of() {
  case $1 in
    platform/win32/*) echo platform/win32/ ;;
    */*) echo "${1%%/*}/" ;;
    *) echo "$1" ;;
  esac
}

# Known exceptions, "file pattern" and the folder it may still include: none now. An entry
# here is a debt, with a comment that says when it goes.
allowed=()

is_allowed() {  # file, included path
  local entry pattern folder
  for entry in "${allowed[@]}"; do
    pattern=${entry% *}
    folder=${entry#* }
    # shellcheck disable=SC2053  # the pattern is a glob on purpose
    if [[ $1 == $pattern && $2 == "$folder"* ]]; then return 0; fi
  done
  return 1
}

# Why `file` (layer `from`) may not include `path` (layer `to`); nothing when it may.
wrong_way() {  # file, path, from, to
  local file=$1 path=$2 from=$3 to=$4
  [[ -z $to ]] && { echo "the folder of $path is in no layer"; return; }
  [[ $(dirname "$file") == "$(dirname "$path")" ]] && return
  if [[ $to == 15 ]]; then
    ((from >= 30)) || echo "only ui/ and main.cpp use the implementations in platform/win32/"
    return
  fi
  if ((from == 20 && to == 20)); then
    echo "$(name_of "$file") and $(name_of "$path") don't include each other"
    return
  fi
  ((to < from)) || echo "$(name_of "$file") is below $(name_of "$path")"
}

failed=0
while IFS= read -r file; do
  file=${file#"$src"/}
  from=$(layer_of "$file")
  [[ -z $from ]] && { echo "src/$file: in no layer"; failed=1; continue; }
  while IFS=: read -r line text; do
    if [[ $text =~ \#[[:space:]]*include[[:space:]]*\"([^\"]+/[^\"]+)\" ]]; then
      path=${BASH_REMATCH[1]}
      why=$(wrong_way "$file" "$path" "$from" "$(layer_of "$path")")
      if [[ -n $why ]] && ! is_allowed "$file" "$path"; then
        echo "src/$file:$line: includes $path: $why"
        failed=1
      fi
    elif [[ $text =~ \#[[:space:]]*include[[:space:]]*\<(windows|commctrl|shellapi|shlobj|shlwapi|objbase|psapi)\.h\> ]]; then
      if ((from != 15 && from < 30)); then
        echo "src/$file:$line: includes <${BASH_REMATCH[1]}.h>: portable code stays off Windows"
        failed=1
      fi
    fi
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$src/$file")
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

if ((failed)); then
  echo "check-includes: includes point the wrong way (the layers are listed in $0)"
  exit 1
fi
echo "check-includes: every include of src/ points one way"
