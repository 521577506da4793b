#!/bin/sh
# Builds the cabinets of the extraction tests with the host's gcab into $1: members in sub-folders,
# a UTF-8 name, stored dates (DOS times hold even seconds), stored and MSZIP folders.
set -eu
out=$1
work=$out/src
rm -rf "$out"
mkdir -p "$work/sub/dir" "$work/deep/a/b/c"
cd "$work"
printf 'top level file\n' > top.txt
printf 'nested file in sub/dir\n' > sub/dir/nested.txt
printf 'accented name\n' > "sub/Données été.txt"
i=0
while [ $i -lt 3000 ]; do echo "line $i of a file that spans more than one data block"; i=$((i + 1)); done > deep/a/b/c/big.txt
touch -d "2020-01-02 03:04:06" top.txt
touch -d "2019-07-15 14:30:10" sub/dir/nested.txt
touch -d "2001-12-31 23:59:58" "sub/Données été.txt"
touch -d "2010-06-01 00:00:00" deep/a/b/c/big.txt
gcab -c "$out/subfolders-store.cab" top.txt sub/dir/nested.txt "sub/Données été.txt"
gcab -c -z "$out/subfolders-mszip.cab" top.txt sub/dir/nested.txt "sub/Données été.txt" deep/a/b/c/big.txt
