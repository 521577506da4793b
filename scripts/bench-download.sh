#!/usr/bin/env bash
# bench-download.sh [SIZE]: the update engine's download (bench/win32/download_bench.exe under Wine)
# against curl, both fetching the same generated file (256 MB unless SIZE bytes are given) from the
# same loopback server in the same run; prints both throughputs and their ratio, and WinInet's own
# 4096-byte read loop alone as the floor.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
size=${1:-268435456}
build=$root/build/win64
srv=$build/netsrv-bench
out=$(mktemp -d)
/usr/bin/python3 "$root/tests/servers/netservers.py" start "$srv" >/dev/null
trap '/usr/bin/python3 "$root/tests/servers/netservers.py" stop "$srv"; rm -rf "$out"' EXIT
port=$(sed -n 's/^http=//p' "$srv/servers.txt")
url="http://127.0.0.1:$port/big?size=$size"

start=$(date +%s.%N)
curl -s -o "$out/curl.bin" "$url"
end=$(date +%s.%N)
curl_rate=$(echo "$size / ($end - $start) / 1000000" | bc -l)
printf 'curl: %d bytes in %.2f s = %.1f MB/s\n' "$size" "$(echo "$end - $start" | bc -l)" "$curl_rate"
rm -f "$out/curl.bin"

mkdir -p "$out/engine"
lines=$("$here/wine-run.sh" "$build/bench/download_bench.exe" "$url" "Z:$out/engine" 2>/dev/null | tr -d "\r")
echo "$lines"
line=$(echo "$lines" | grep '^URLGetFile')
[ "$(stat -c %s "$out/engine/size=$size")" = "$size" ] || { echo "the engine's file is not $size bytes" >&2; exit 1; }
engine_rate=$(echo "$line" | sed -n 's/.*= \([0-9.]*\) MB\/s/\1/p')
printf 'ratio curl / URLGetFile: %.2f\n' "$(echo "$curl_rate / $engine_rate" | bc -l)"
