#!/usr/bin/env bash
# Makes small disc images for the disc image fuzzer: ISO 9660 with Rock
# Ridge and Joliet, plain ISO 9660, and a UDF hybrid, over a tree with a
# deep folder, a hidden file and a ZIP archive.
set -euo pipefail
out=${1:?usage: make-image-seeds.sh FOLDER}
mkdir -p "$out"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/a/b/c/d/e/f/g/h" "$tree/Zeta"
echo deep > "$tree/a/b/c/d/e/f/g/h/deep.txt"
echo hello > "$tree/Readme.TXT"
echo x > "$tree/.hidden"
cp "$(dirname "$0")/../tests/reading/data/sample.zip" "$tree/Zeta/"
# No padding: the seeds stay small.
genisoimage -quiet -no-pad -J -R -V ROCK -o "$out/rr.iso" "$tree"
genisoimage -quiet -no-pad -D -V PLAIN -o "$out/plain.iso" "$tree" 2>/dev/null
genisoimage -quiet -no-pad -udf -R -V HYBRID -o "$out/hybrid.iso" "$tree"
# The Rock Ridge image again as raw 2352-byte mode 1 sectors (sync, header,
# data, zeroed error codes), as the .bin of a .bin/.cue pair.
sectors=$(( $(stat -c %s "$out/rr.iso") / 2048 ))
for ((s = 0; s < sectors; s++)); do
  printf '\x00\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\x00\x00\x02\x00\x01'
  dd if="$out/rr.iso" bs=2048 skip=$s count=1 status=none
  head -c 288 /dev/zero
done > "$out/rr.bin"
