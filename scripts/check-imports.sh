#!/usr/bin/env bash
# check-imports.sh OBJDUMP EXE...
# Fails when an executable imports anything but Windows system DLLs: Orvane is copied onto a
# workstation as one file, so a runtime DLL of the compiler would be missing there.
set -euo pipefail
objdump=$1
shift
allowed='^(advapi32|bcrypt|cabinet|comctl32|comdlg32|crypt32|gdi32|iphlpapi|kernel32|lz32|msvcrt|netapi32|ole32|oleaut32|rpcrt4|secur32|shell32|shlwapi|urlmon|user32|uxtheme|version|wininet|winmm|ws2_32)\.dll$'
status=0
for exe in "$@"; do
  dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
  [ -n "$dlls" ] || { echo "$exe: no import table found"; status=1; continue; }
  while read -r dll; do
    if ! [[ $dll =~ $allowed ]]; then
      echo "$exe imports $dll, which is not a Windows system DLL"
      status=1
    fi
  done <<<"$dlls"
  echo "$(basename "$exe"): $(echo $dlls)"
done
exit $status
