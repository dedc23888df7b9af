#!/usr/bin/env bash
# Rebuilds the archive fixtures of the reading tests with Debian's
# archivers (zip, tar, gzip, jlha-utils, gcab, arj). Every archive holds
# the same small tree:
#   a.txt            4 bytes, modified 2010-07-01 00:00:00 UTC
#   docs/            a folder
#   docs/readme.txt  6 bytes, modified 2010-01-01 00:00:00 UTC
# sample.zip also holds a name stored in CP932 without the UTF-8 flag
# (テスト.txt) and one stored in UTF-8 (ユニコード.txt).
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=UTC
cd "$work"
mkdir docs
printf 'abc\n' > a.txt
printf 'hello\n' > docs/readme.txt
touch -d '2010-07-01 00:00:00' a.txt
touch -d '2010-01-01 00:00:00' docs/readme.txt docs
cp61=$(printf '\x83\x65\x83\x58\x83\x67.txt')   # テスト.txt in CP932
printf 'x\n' > "$cp61"
printf 'y\n' > 'ユニコード.txt'
touch -d '2010-07-01 00:00:00' "$cp61" 'ユニコード.txt'

rm -f "$out"/sample.*
LC_ALL=C zip -q -X "$out/sample.zip" docs/ docs/readme.txt a.txt "$cp61"
LC_ALL=C.UTF-8 zip -q -X -UN=UTF8 "$out/sample.zip" 'ユニコード.txt'
tar --format=ustar --owner=0 --group=0 --no-recursion -b 1 -cf "$out/sample.tar" docs docs/readme.txt a.txt
gzip -9 -n < "$out/sample.tar" > "$out/sample.tgz"
cp -p a.txt data.txt
gzip -9 data.txt && mv data.txt.gz "$out/sample-data.txt.gz"   # stored name data.txt
gzip -9 -n < a.txt > "$out/sample-noname.gz"                 # no stored name, no time
lha a "$out/sample.lzh" a.txt docs/readme.txt > /dev/null
gcab -c "$out/sample.cab" a.txt docs/readme.txt
arj a "$out/sample.arj" a.txt docs/readme.txt > /dev/null
ls -l "$out"
