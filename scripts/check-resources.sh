#!/usr/bin/env bash
# check-resources.sh WINDRES EXE VERSION
# Checks what Windows reads from orvane.exe before running it: the version resource carries the
# product version, and the manifest asks for common controls 6, DPI awareness and no elevation.
set -euo pipefail
windres=$1 exe=$2 version=$3
rc=$("$windres" -J coff -i "$exe" -O rc)
commas=${version//./, }
status=0
expect() {
  if ! grep -qF -- "$1" <<<"$rc"; then echo "$(basename "$exe"): missing $2 ($1)"; status=1; fi
}
expect "FILEVERSION $commas" "file version"
expect "PRODUCTVERSION $commas" "product version"
expect "VALUE \"ProductVersion\", \"$version\"" "product version text"
expect "VALUE \"ProductName\", \"Orvane\"" "product name"
expect "LANGUAGE 12, 1" "French version resource"
expect "Microsoft.Windows.Common-Controls\"\" version=\"\"6.0.0.0" "common controls 6"
expect "level=\"\"asInvoker\"\"" "asInvoker execution level"
expect "PerMonitorV2" "per-monitor DPI awareness"
[ $status = 0 ] && echo "$(basename "$exe"): version $version, manifest with common controls 6, asInvoker, PerMonitorV2"
exit $status
