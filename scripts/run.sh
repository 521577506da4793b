#!/usr/bin/env bash
# run.sh BUILD_DIR: starts Orvane under Wine on the sample workstation. With a display, the window
# opens there. Without one, a virtual display is used: the GUI driver visits every tab, presses the
# buttons and leaves screenshots and the texts shown under build/run/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=$(cd "$1" && pwd)
# Wine's desktop process binds to the display of the session that started it: start afresh.
"$here/wine-stop.sh" "$build/wineprefix"

if [ -n "${DISPLAY:-}" ] && command -v xdpyinfo >/dev/null && xdpyinfo >/dev/null 2>&1; then
  "$here/sample-workstation.sh" "$build" >/dev/null
  exec "$here/wine-run.sh" "$build/bin/orvane.exe"
fi

. "$here/xvfb.sh"
xvfb_start
"$here/sample-workstation.sh" "$build" >/dev/null
# Wine's processes hold the display: end them before the display goes.
trap '"$here/wine-stop.sh" "$root"/build/*/wineprefix; xvfb_stop' EXIT
out=$root/build/run
rm -rf "$out"
mkdir -p "$out"
echo "No display: touring Orvane on the virtual display $DISPLAY"
"$here/wine-run.sh" "$build/bin/orvane-guidriver.exe" tour "$build/bin/orvane.exe" "Z:${out//\//\\}"
for bmp in "$out"/*.bmp; do
  /usr/bin/convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
echo "Screenshots and texts of every tab are in $out:"
ls "$out" | sed 's/^/  /'
