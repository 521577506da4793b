#!/usr/bin/env bash
# sample-workstation.sh BUILD_DIR
# Fills the Wine prefix of BUILD_DIR with the sample SAP workstation of sample/: registry values,
# folders, stand-in programs (built into BUILD_DIR/sample/bin) and the files under sample/drive_c.
# Running it again brings the prefix back to the sample's state.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=$(cd "$1" && pwd)
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
"$here/wine-prefix.sh" "$WINEPREFIX"
drive_c=$WINEPREFIX/drive_c

# C:\A\B -> $drive_c/A/B (the sample only uses drive C).
unix_path() {
  local p=${1#[Cc]:}
  p=${p//\\//}
  echo "$drive_c$p"
}

# Lines of a list file without comments and blank lines.
entries() { grep -v -e '^[[:space:]]*#' -e '^[[:space:]]*$' "$1" || true; }

for reg in workstation.reg wine-fonts.reg; do
  "$here/wine-run.sh" regedit /S "Z:${root//\//\\}\\sample\\$reg" </dev/null >/dev/null 2>&1
done

while IFS= read -r folder; do
  mkdir -p "$(unix_path "$folder")"
done < <(entries "$root/sample/folders.txt")

while read -r program target; do
  dest=$(unix_path "$target")
  mkdir -p "$(dirname "$dest")"
  cp "$build/sample/bin/$program" "$dest"
done < <(entries "$root/sample/binaries.txt")

if [ -d "$root/sample/drive_c" ]; then
  cp -R "$root/sample/drive_c/." "$drive_c/"
fi
echo "sample workstation ready in $WINEPREFIX"
