#!/usr/bin/env bash
# Runs a Windows program under Wine in the prefix of the build folder it lives in, so that tests
# never touch ~/.wine. The prefix is created on first use; concurrent first uses wait for one another.
set -euo pipefail
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
exec "$("$here/wine-prefix.sh" --wine)" "$exe" "$@"
