#!/usr/bin/env bash
# Runs a Windows program under Wine in the prefix of the build folder it lives in, so that tests
# never touch ~/.wine. The prefix is created on first use; concurrent first uses wait for one another.
set -euo pipefail
# Wine names files in the Unix locale's character set: without UTF-8 a name outside ASCII cannot
# exist, so a user folder like "Données" would fail. Keep a UTF-8 locale whatever the caller has.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
  *[Uu][Tt][Ff]-8* | *[Uu][Tt][Ff]8*) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac
here=$(cd "$(dirname "$0")" && pwd)
exe=$1
shift
if [ -z "${WINEPREFIX:-}" ]; then
  dir=$(cd "$(dirname "$exe")" && pwd)
  # The build folder is the nearest ancestor that holds CMakeCache.txt.
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ "$dir" != / ] || dir=$(cd "$(dirname "$exe")" && pwd)
  export WINEPREFIX="$dir/wineprefix"
fi
"$here/wine-prefix.sh" "$WINEPREFIX"
export WINEDEBUG=${WINEDEBUG:--all}
wine=$("$here/wine-prefix.sh" --wine)
server=$(dirname "$wine")/wineserver
# A 32-bit program (PE machine 0x14c) runs through the 32-bit loader, in the same 64-bit prefix, as
# it would under WoW64 on Windows. Exit code 77 tells ctest that it could not run here at all.
pe_machine() {
  local offset
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 0
  [ -n "$offset" ] && od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}
case "$exe" in
  *.exe|*.EXE)
    if [ "$(pe_machine "$exe")" = 014c ]; then
      wine=$("$here/wine-prefix.sh" --wine32) || exit 77
    fi ;;
esac
# A wineserver that outlives each program keeps every next start at tens of milliseconds instead
# of seconds. The first program of a session also starts the prefix's background services; they
# must not inherit our output, or whoever reads it (ctest) would wait for them forever.
(
  flock 8
  if "$server" -p60 </dev/null >/dev/null 2>&1 8>&-; then
    "$wine" cmd /c exit 0 </dev/null >/dev/null 2>&1 8>&- || true
  fi
) 8>"$WINEPREFIX.server.lock"
# Wine may start helper processes (the desktop, services) from the program; they inherit its
# output and outlive it. Whoever reads our output (ctest) would wait for them, so the program
# writes to files that are passed on once it has ended.
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
"$wine" "$exe" "$@" >"$out" 2>"$err" &
pid=$!
trap 'kill "$pid" 2>/dev/null' TERM INT  # a test timing out ends the program too
status=0
wait "$pid" || status=$?
cat "$out"
cat "$err" >&2
exit $status
