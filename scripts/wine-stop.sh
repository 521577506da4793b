#!/usr/bin/env bash
# wine-stop.sh PREFIX...: ends the wineserver (and so every Wine process) of each prefix given.
wineserver=$(dirname "$("$(dirname "$0")/wine-prefix.sh" --wine)")/wineserver
for prefix in "$@"; do
  [ -d "$prefix" ] && WINEPREFIX=$prefix "$wineserver" -k >/dev/null 2>&1
done
exit 0
