#!/usr/bin/env bash
# Checks the DLLs an exe imports at load time: only DLLs the system always takes from its own
# folder, whatever lies beside the exe. Anything else is loaded at start from the exe's folder
# first, where a DLL of that name (dropped into a Downloads folder beside an unpacked zip) would
# run inside the program; the program loads such DLLs itself, from the system folder, when it
# needs them.
#
#   tools/check-imports.sh OBJDUMP EXE...    (OBJDUMP: the mingw objdump of the exe's build)
set -euo pipefail

# The KnownDLLs of Windows 10 and 11 (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\
# KnownDLLs): the loader maps these from the system folder and never searches for them.
# Left out are the four that Windows 7 doesn't list (combase, coml2, gdiplus, shcore), as are
# the DLLs that are merely system DLLs without being known ones: comctl32 (the manifest's
# side-by-side assembly finds it when loaded by name, not an import), msimg32, uxtheme,
# version, winmm, dwmapi and their like.
known_dlls=(
  advapi32.dll clbcatq.dll comdlg32.dll difxapi.dll gdi32.dll imagehlp.dll imm32.dll
  kernel32.dll msctf.dll msvcrt.dll normaliz.dll nsi.dll ole32.dll oleaut32.dll psapi.dll
  rpcrt4.dll sechost.dll setupapi.dll shell32.dll shlwapi.dll user32.dll wldap32.dll ws2_32.dll
)

if (($# < 2)); then
  echo "usage: $0 OBJDUMP EXE..." >&2
  exit 2
fi
objdump=$1
shift

status=0
for exe in "$@"; do
  if ! dump=$("$objdump" -p "$exe"); then
    echo "check-imports: $objdump could not read $exe" >&2
    status=1
    continue
  fi
  imports=$(sed -nE 's/^[[:space:]]*DLL Name: *([^[:space:]]+).*/\1/p' <<<"$dump" |
    tr '[:upper:]' '[:lower:]')
  # Every program imports kernel32: an empty list means the dump wasn't read right.
  if [[ -z $imports ]]; then
    echo "check-imports: $exe: no imported DLL found in the dump of $objdump" >&2
    status=1
    continue
  fi
  foreign=()
  for dll in $imports; do
    [[ " ${known_dlls[*]} " == *" $dll "* ]] || foreign+=("$dll")
  done
  if ((${#foreign[@]})); then
    echo "check-imports: $exe imports at load time what a DLL beside it could replace:" \
      "${foreign[*]}" >&2
    status=1
  else
    echo "check-imports: $exe imports only known DLLs: $(paste -sd " " <<<"$imports")"
  fi
done
exit $status
