#!/usr/bin/env bash
# bench.sh: builds the benchmarks and runs each one, printing its figures: the portable ones natively
# (build/host), the Windows ones under Wine on a private virtual display (build/win64).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
cd "$root"
make -s host win64 >/dev/null
for bench in build/host/bench/*_bench; do
  echo "== $(basename "$bench")"
  "$bench"
done
. "$here/xvfb.sh"
"$here/wine-stop.sh" build/win64/wineprefix
xvfb_start
trap '"$here/wine-stop.sh" build/win64/wineprefix; xvfb_stop' EXIT
for bench in build/win64/bench/*_bench.exe; do
  case $(basename "$bench") in
    crc_bench.exe | landscape_bench.exe | probes_colouring_bench.exe | download_bench.exe) continue ;;
  esac
  echo "== $(basename "$bench") (Wine)"
  "$here/wine-run.sh" "$bench"
done
echo "== download_bench.exe (Wine) against curl"
"$here/bench-download.sh"
