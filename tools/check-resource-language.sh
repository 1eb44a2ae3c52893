#!/usr/bin/env bash
# Checks that every resource of an exe is marked German (Germany), 0x407: Explorer's file
# properties show that language, and the resource loader chooses by it. The manifest (type 24)
# may be in any language: the loader finds it whatever its language. The message table of the
# events (type 11) has English beside its German, for an English event viewer.
#
#   tools/check-resource-language.sh OBJDUMP EXE    (OBJDUMP: the mingw objdump of the exe's build)
set -euo pipefail
# objdump lists the resource tree by indentation: types, then names, then languages.
"$1" -p "$2" | awk '
  { id = $4; sub(/,$/, "", id) }
  /^[0-9a-f]+   Entry: ID:/ { type = id }
  /^[0-9a-f]+       Entry: ID:/ {
    n++
    english = type == "0x00000b" && id == "0x000409"
    if (english) n_english++
    if (type != "0x000018" && id != "0x000407" && !english) bad = bad " type " type ": " id
  }
  END {
    if (n < 20 || bad != "") { print "check-resource-language: " n " resources;" bad; exit 1 }
    print "check-resource-language: all " n " resources are German, the manifest aside" \
      (n_english ? "; the event messages in English as well" : "")
  }'
