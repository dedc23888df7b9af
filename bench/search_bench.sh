#!/usr/bin/env bash
# Searching many catalogue files against grep(1) over the same names.
#
#   bash bench/search_bench.sh BUILD_DIR
#
# Writes 50 catalogue files of 100,000 entries each (5,000,000 in all) and a
# text file of the same names, UTF-8, one per line, then times
#   volcatra-cli search --in DIR '*.jpg'
# against
#   LC_ALL=C grep -c -i '\.jpg$' names.txt
# (the cost of a plain linear scan over the names), best of three runs each
# with warm caches, and prints the ratio and the entries searched per second.
# The data is kept in BUILD_DIR/bench/search-data and made again only when
# the generator changes.
set -euo pipefail
export LC_ALL=C

build=${1:?usage: search_bench.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
cli="$build/src/cli/volcatra-cli"
gen="$build/bench/search_bench_gen"
data="$build/bench/search-data"
files=50
entries_per_file=100000
entries=$((files * entries_per_file))
runs=3

[[ -x "$cli" ]] || { echo "missing $cli: build the release tree first" >&2; exit 1; }

# The generator links the model of the same build.
if [[ ! -x "$gen" || "$here/search_bench_gen.cpp" -nt "$gen" ]]; then
  mkdir -p "$build/bench"
  "${CXX:-c++}" -O2 -std=c++20 -I "$root/src" "$here/search_bench_gen.cpp" \
    "$build/src/model/libvolcatra_model.a" -o "$gen"
  rm -rf "$data"
fi
if [[ ! -f "$data/done" ]]; then
  echo "writing $files catalogue files with $entries entries to $data ..."
  rm -rf "$data"
  mkdir -p "$data/catalogues"
  "$gen" "$data/catalogues" "$files" "$entries_per_file"
  mv "$data/catalogues/names.txt" "$data/names.txt"
  touch "$data/done"
fi

# Warm the page cache for both.
cat "$data"/catalogues/*.fsr "$data/names.txt" > /dev/null

best() {  # best wall time in seconds of $runs runs of a command
  local best_time="" start t
  for _ in $(seq "$runs"); do
    # Into a file, not /dev/null: grep stops at the first match when it
    # sees its output is /dev/null. The previous run's output is removed
    # first, so that freeing its blocks is not timed with the next run.
    rm -f "$data/output.tmp"
    start=$EPOCHREALTIME
    "$@" > "$data/output.tmp" 2>&1
    t=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.6f", b - a }')
    if [[ -z "$best_time" ]] || awk -v t="$t" -v b="$best_time" 'BEGIN { exit !(t < b) }'; then best_time=$t; fi
  done
  echo "$best_time"
}

# The two must agree on what they find.
grep_count=$(LC_ALL=C grep -c -i '\.jpg$' "$data/names.txt")
search_count=$("$cli" search --in "$data/catalogues" '*.jpg' 2>/dev/null | wc -l)
if [[ "$grep_count" != "$search_count" ]]; then
  echo "mismatch: grep found $grep_count names, volcatra-cli $search_count" >&2
  exit 1
fi

grep_time=$(best env LC_ALL=C grep -c -i '\.jpg$' "$data/names.txt")
search_time=$(best "$cli" search --in "$data/catalogues" '*.jpg')
# The same walk with a name nothing has: reading, decoding and matching
# without the cost of the hits' lines.
scan_time=$(best "$cli" search --in "$data/catalogues" 'no-such-name.none')
rm -f "$data/output.tmp"

fsr_bytes=$(cat "$data"/catalogues/*.fsr | wc -c)
names_bytes=$(wc -c < "$data/names.txt")
awk -v files="$files" -v entries="$entries" -v hits="$grep_count" -v fsr="$fsr_bytes" -v names="$names_bytes" \
    -v g="$grep_time" -v s="$search_time" -v n="$scan_time" 'BEGIN {
  printf "data: %d files, %d entries, %d hits; catalogues %.1f MB, names %.1f MB\n", files, entries, hits, fsr / 1e6, names / 1e6
  printf "grep -c -i:             %.3f s\n", g
  printf "volcatra-cli search:    %.3f s  (%.1f million entries/s)\n", s, entries / s / 1e6
  printf "  without hits:         %.3f s  (%.1f million entries/s, %.2f x grep)\n", n, entries / n / 1e6, n / g
  printf "ratio search/grep:      %.2f  (goal: at most 3)\n", s / g
}'

# The same search from the desktop program's search window, offscreen.
window_bench="$build/bench/volcatra-search-window-bench"
if [[ -x "$window_bench" ]]; then
  echo "search window (offscreen):"
  LANG=C.UTF-8 "$window_bench" "$cli" "$data/catalogues" '*.jpg'
fi
