#!/usr/bin/env bash
# fuzz.sh [SECONDS]: builds the libFuzzer targets with clang (libraries instrumented too) and runs each
# for SECONDS (default 60) from its corpus under fuzz/corpus/<target>/. New findings are written to
# build/fuzz/findings/<target>/; keep the interesting ones in the corpus as regression inputs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=$root/build/fuzz
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DORVANE_FUZZ=ON -DORVANE_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined >/dev/null
cmake --build "$build" -j2
for source in "$root"/fuzz/*_fuzz.cpp; do
  target=$(basename "$source" .cpp)
  work=$build/work/$target findings=$build/findings/$target
  mkdir -p "$work" "$findings"
  echo "== $target for ${seconds}s"
  "$build/fuzz/$target" -max_total_time="$seconds" -artifact_prefix="$findings/" "$work" "$root/fuzz/corpus/$target"
done
