#!/usr/bin/env bash
# dist.sh BUILD_DIR OUT_DIR: copies the shipped 32-bit programs of BUILD_DIR into OUT_DIR with a
# SHA256SUMS file, so that whoever copies them onto a workstation can check what they got.
set -euo pipefail
build=$1 out=$2
programs=("$build/bin/orvane.exe" "$build/tools/inspect/orvane-inspect.exe")
for exe in "${programs[@]}"; do
  [ -f "$exe" ] || { echo "dist: $exe not built" >&2; exit 1; }
  # The shipped programs are the 32-bit ones (PE machine 0x14c).
  offset=$(od -An -tu4 -j60 -N4 "$exe" | tr -d ' ')
  [ "$(od -An -tx2 -j$((offset + 4)) -N2 "$exe" | tr -d ' ')" = 014c ] ||
    { echo "dist: $exe is not a 32-bit program" >&2; exit 1; }
done
rm -rf "$out"
mkdir -p "$out"
cp "${programs[@]}" "$out/"
(cd "$out" && sha256sum -- *.exe >SHA256SUMS)
echo "dist: $(cd "$out" && pwd)"
cat "$out/SHA256SUMS"
