#!/usr/bin/env bash
# Reading a large tree: volcatra-cli read against find(1) and ncdu(1) over
# the same tree.
#   bash bench/read_bench.sh BUILD_DIR
# Builds (once) a tree of 200,000 files in 20,000 folders under BUILD_DIR,
# warms the cache, then times each command RUNS times (default 5), in turns,
# and keeps the best run of each. Prints the times and two ratios:
#   - volcatra-cli read against find -printf of size, time and type
#     (goal: at most 1.3);
#   - volcatra-cli read --no-archives against ncdu -0 -x -e -o FILE, a
#     single-threaded scanner that also writes every entry's size and
#     modification time to a file (goal: at most 1.0).
set -euo pipefail

build=${1:-build-release}
cli=$build/src/cli/volcatra-cli
tree=$build/bench-read-tree
catalogue=$build/bench-read.fsr
export_file=$build/bench-read.ncdu
runs=${RUNS:-5}

if [[ ! -x $cli ]]; then
  echo "read_bench: $cli not found; build the release tree first" >&2
  exit 1
fi
if ! command -v ncdu > /dev/null; then
  echo "read_bench: ncdu not found; run scripts/install-deps" >&2
  exit 1
fi

# 20 folders of 1,000 folders of 10 files: 20,000 folders that hold files
# (20,020 with the upper level) and 200,000 files of a few bytes each.
if [[ ! -f $tree/.complete ]]; then
  echo "read_bench: building the tree in $tree ..."
  rm -rf "$tree"
  mkdir -p "$tree"
  (
    cd "$tree"
    for d in $(seq -w 0 19); do
      mkdir -p "d$d"/s{000..999}
      printf '%s\n' "d$d"/s{000..999}/f{0..9}.txt | xargs -d '\n' touch
      # a little content in every tenth file, so sizes differ
      printf '%s\n' "d$d"/s{000..999}/f0.txt | xargs -d '\n' -n 1000 sh -c 'for f; do echo "$f" > "$f"; done' sh
    done
  )
  touch "$tree/.complete"
fi

now_ns() { date +%s%N; }

# Microseconds of one run of a command, its output discarded.
time_us() {
  local start end
  start=$(now_ns)
  "$@" > /dev/null
  end=$(now_ns)
  echo $(( (end - start) / 1000 ))
}

# Each read writes a new catalogue and ncdu a new export file: the old ones
# are removed before the clock starts.
read_all() { "$cli" read "$tree" -o "$catalogue"; }
read_no_archives() { "$cli" read "$tree" -o "$catalogue" --no-archives; }
find_all() { find "$tree" -printf '%s %T@ %y\n'; }
ncdu_all() { ncdu -0 -x -e -o "$export_file" "$tree"; }

# Warm the cache (and check that every command works at all).
find_all > /dev/null
rm -f "$catalogue" && read_all > /dev/null
rm -f "$export_file" && ncdu_all > /dev/null

commands=(read_all find_all read_no_archives ncdu_all)
declare -A best
for _ in $(seq $runs); do
  for c in "${commands[@]}"; do
    rm -f "$catalogue" "$export_file"
    t=$(time_us "$c")
    [[ -z ${best[$c]:-} || $t -lt ${best[$c]} ]] && best[$c]=$t
  done
done
rm -f "$export_file"
files=$(find "$tree" -type f -not -name .complete | wc -l)
folders=$(( $(find "$tree" -type d | wc -l) - 1 ))
echo "tree: $files files in $folders folders"
awk -v r="${best[read_all]}" -v f="${best[find_all]}" -v rn="${best[read_no_archives]}" -v n="${best[ncdu_all]}" 'BEGIN {
  printf "volcatra-cli read:               %8.1f ms (best of '"$runs"')\n", r / 1000
  printf "find -printf:                    %8.1f ms (best of '"$runs"')\n", f / 1000
  printf "ratio:                           %8.2f (goal <= 1.30)\n", r / f
  printf "volcatra-cli read --no-archives: %8.1f ms (best of '"$runs"')\n", rn / 1000
  printf "ncdu -0 -x -e -o FILE:           %8.1f ms (best of '"$runs"')\n", n / 1000
  printf "ratio:                           %8.2f (goal <= 1.00)\n", rn / n
}'
