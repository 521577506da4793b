#!/usr/bin/env bash
# wine-prefix.sh PREFIX   creates the Wine prefix PREFIX once (64-bit, no Mono/Gecko prompts).
# wine-prefix.sh --wine   prints the Wine loader to use for 64-bit programs.
set -euo pipefail
wine_loader() {
  for w in /usr/lib/wine/wine64 /usr/lib/x86_64-linux-gnu/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
    [ -n "$w" ] && [ -x "$w" ] && { echo "$w"; return; }
  done
  echo "wine64 not found; run scripts/bootstrap.sh" >&2
  exit 1
}
if [ "${1:-}" = --wine ]; then wine_loader; exit 0; fi
prefix=$1
[ -f "$prefix/.orvane-ready" ] && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ ! -f "$prefix/.orvane-ready" ]; then
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64
  # No Mono or Gecko installers: nothing here needs them, and they would try the network.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  "$(wine_loader)" wineboot --init >/dev/null 2>&1 || true
  "$(dirname "$(wine_loader)")/wineserver" -w 2>/dev/null || wineserver -w || true
  touch "$prefix/.orvane-ready"
fi
