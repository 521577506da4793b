#!/usr/bin/env bash
# check-exports.sh OBJDUMP EXE NAME...
# Fails unless the executable exports exactly the names given (a 32-bit stdcall "@N" suffix aside).
set -euo pipefail
objdump=$1 exe=$2
shift 2
actual=$("$objdump" -p "$exe" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
         sed -n 's/^[[:space:]]*\[ *[0-9]*\] \([^@]*\).*/\1/p' | sort)
expected=$(printf '%s\n' "$@" | sort)
echo "$(basename "$exe") exports: $(echo $actual)"
[ "$actual" = "$expected" ] || { echo "expected: $(echo $expected)"; exit 1; }
