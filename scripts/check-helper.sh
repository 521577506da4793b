#!/usr/bin/env bash
# check-helper.sh WINDRES OBJDUMP LZPACK EXE
# Decodes the restart helper that EXE carries as RCDATA "UPD" and checks what Windows and the workstation
# see of it: the same machine type as EXE, a program without a console, a manifest that runs it as
# the invoker on every supported system (a name containing "setup" is otherwise taken for an
# installer and elevated), and imports of system DLLs that are always loaded from the system folder
# (it runs from the download folder, where a planted DLL of another name would be found first).
set -euo pipefail
windres=$1 objdump=$2 lzpack=$3 exe=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "$(basename "$exe") UPD: $1"; status=1; }

"$windres" -i "$exe" -O res -o "$work/exe.res"
"$lzpack" --from-res "$work/exe.res" UPD "$work/wusetup.exe" || { echo "$(basename "$exe"): UPD cannot be decoded"; exit 1; }
helper=$work/wusetup.exe

format() { "$objdump" -f "$1" | sed -n 's/.*file format //p'; }
[ "$(format "$helper")" = "$(format "$exe")" ] || fail "machine $(format "$helper"), program $(format "$exe")"

headers=$("$objdump" -p "$helper")
grep -q '^Subsystem[[:space:]]*00000002' <<<"$headers" || fail "not a windowed (GUI subsystem) program"

known='^(advapi32|kernel32|msvcrt|shell32|user32|ole32|gdi32|shlwapi|comdlg32)\.dll$'
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || fail "no import table"
while read -r dll; do
  [ -z "$dll" ] || [[ $dll =~ $known ]] || fail "imports $dll, which is not always taken from the system folder"
done <<<"$dlls"

rc=$("$windres" -J coff -i "$helper" -O rc)
grep -qF 'level=""asInvoker""' <<<"$rc" || fail "manifest without asInvoker"
for os in 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
          4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 35138b9a-5d96-4fbd-8e2d-a2440225f93a; do
  grep -qF "$os" <<<"$rc" || fail "manifest does not name supported system {$os}"
done
[ $status = 0 ] && echo "$(basename "$exe") UPD: $(format "$helper"), GUI, asInvoker, supported systems, imports: $(echo $dlls)"
exit $status
