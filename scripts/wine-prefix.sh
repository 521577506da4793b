#!/usr/bin/env bash
# wine-prefix.sh PREFIX     creates the Wine prefix PREFIX once (64-bit, no Mono/Gecko prompts).
# wine-prefix.sh --wine     prints the Wine loader to use for 64-bit programs.
# wine-prefix.sh --wine32   prints the loader for 32-bit programs; exits 1 when wine32 is missing.
set -euo pipefail
# Wine names files in the Unix locale's character set: without UTF-8 a name outside ASCII cannot
# exist, so a user folder like "Données" would fail. Keep a UTF-8 locale whatever the caller has.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
  *[Uu][Tt][Ff]-8* | *[Uu][Tt][Ff]8*) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac
wine_loader() {
  for w in /usr/lib/wine/wine64 /usr/lib/x86_64-linux-gnu/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
    [ -n "$w" ] && [ -x "$w" ] && { echo "$w"; return; }
  done
  echo "wine64 not found; run scripts/bootstrap.sh" >&2
  exit 1
}
# The 32-bit loader (package wine32) sits beside the 64-bit one.
wine32_loader() {
  local w
  w=$(dirname "$(wine_loader)")/wine
  [ -x "$w" ] && { echo "$w"; return; }
  echo "wine32 is not installed: 32-bit programs cannot run here" >&2
  exit 1
}
case "${1:-}" in
  --wine) wine_loader; exit 0 ;;
  --wine32) wine32_loader; exit 0 ;;
esac
prefix=$1
# A prefix made while only wine64 was installed has no 32-bit system folder and cannot start
# 32-bit programs once wine32 is added: such a prefix is made anew, not patched.
needs_wow64() {
  wine32_loader >/dev/null 2>&1 && [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ]
}
[ -f "$prefix/.orvane-ready" ] && ! needs_wow64 && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ -f "$prefix/.orvane-ready" ] && needs_wow64; then
  echo "wine-prefix: $prefix has no 32-bit system folder; creating it anew" >&2
  WINEPREFIX=$prefix "$(dirname "$(wine_loader)")/wineserver" -k 2>/dev/null || true
  rm -rf "$prefix"
fi
if [ ! -f "$prefix/.orvane-ready" ]; then
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64
  # No Mono or Gecko installers: nothing here needs them, and they would try the network.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  "$(wine_loader)" wineboot --init >/dev/null 2>&1 || true
  "$(dirname "$(wine_loader)")/wineserver" -w 2>/dev/null || wineserver -w || true
  touch "$prefix/.orvane-ready"
fi
