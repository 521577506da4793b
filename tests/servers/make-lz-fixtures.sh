#!/bin/sh
# make-lz-fixtures.sh DIR   LZ-compressed (SZDD) files made with Debian's mscompress, and crafted
# broken ones. DIR/expected/ holds what each good one expands to.
#   readme.txt_        as mscompress writes it (no missing character in the header)
#   SETUP.IN_, big.dl_ the missing character set ("I", "l"), the usual distribution naming
#   sizelie-big.tx_    header announces more bytes than the data expands to
#   sizelie-small.tx_  header announces fewer bytes
#   truncated.tx_      compressed data cut in its middle
#   notlz.tx_          not LZ at all (plain text)
#   badchar-backslash.tx_, badchar-colon.tx_, badchar-control.tx_
#                      missing character "\", ":" or 0x01
# mscompress gets files of 16 bytes or more only: below that its output is wrong.
set -eu
out=$1
command -v mscompress >/dev/null || { echo "mscompress not found; run scripts/bootstrap.sh" >&2; exit 1; }
py=/usr/bin/python3
[ -x "$py" ] || py=python3
rm -rf "$out"
mkdir -p "$out/expected"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Texts and a binary with repeats (so that LZ has matches) and noise (so that it has literals).
"$py" - "$work" <<'EOF'
import random, sys, os
work = sys.argv[1]
line = "Orvane LZ fixture: the quick brown fox jumps over the lazy dog. "
open(os.path.join(work, "readme.txt"), "w", newline="").write((line * 60).replace(". ", ".\r\n", 30))
open(os.path.join(work, "setup.ini"), "w", newline="").write(
    "[Setup]\r\nProduct=Orvane\r\nVersion=1.2.3.4\r\n" +
    "".join("Key%d=Value%d\r\n" % (i, i * 7) for i in range(200)))
rng = random.Random(20261210)
blob = bytearray()
while len(blob) < 150000:
    if rng.random() < 0.5:
        blob += bytes(rng.randrange(256) for _ in range(rng.randrange(1, 64)))
    else:
        start = rng.randrange(max(1, len(blob)))
        blob += blob[start:start + rng.randrange(3, 200)] or b"\0"
open(os.path.join(work, "big.dll"), "wb").write(bytes(blob))
EOF

(cd "$work" && mscompress readme.txt setup.ini big.dll)
cp "$work/readme.txt" "$work/setup.ini" "$work/big.dll" "$out/expected/"
cp "$work/readme.txt_" "$out/readme.txt_"

# Byte 9 of the header is the character that "_" stands for; bytes 10-13 the expanded size.
"$py" - "$work" "$out" <<'EOF'
import os, struct, sys
work, out = sys.argv[1], sys.argv[2]
def read(name):
    return bytearray(open(os.path.join(work, name), "rb").read())
def write(name, data):
    open(os.path.join(out, name), "wb").write(bytes(data))
def with_char(data, char):
    data = bytearray(data)
    data[9] = ord(char) if isinstance(char, str) else char
    return data
def with_size(data, size):
    data = bytearray(data)
    data[10:14] = struct.pack("<I", size)
    return data
text = read("readme.txt_")
assert text[:8] == b"SZDD\x88\xf0\x27\x33", "unexpected mscompress header"
size = struct.unpack("<I", text[10:14])[0]
write("SETUP.IN_", with_char(read("setup.ini_"), "I"))
write("big.dl_", with_char(read("big.dll_"), "l"))
write("sizelie-big.tx_", with_char(with_size(text, size + 1000), "t"))
write("sizelie-small.tx_", with_char(with_size(text, size - 1000), "t"))
write("truncated.tx_", with_char(text[: len(text) // 2], "t"))
write("notlz.tx_", b"This file is plain text, not LZ-compressed at all.\r\n" * 4)
write("badchar-backslash.tx_", with_char(text, "\\"))
write("badchar-colon.tx_", with_char(text, ":"))
write("badchar-control.tx_", with_char(text, 1))
EOF
