#!/usr/bin/env bash
# Reading a large tree: volcatra-cli read against find(1) over the same tree.
#   bash bench/read_bench.sh BUILD_DIR
# Builds (once) a tree of 200,000 files in 20,000 folders under BUILD_DIR,
# warms the cache, then times each tool three times and keeps the best run.
# Prints both times and their ratio (goal: at most 1.3).
set -euo pipefail

build=${1:-build-release}
cli=$build/src/cli/volcatra-cli
tree=$build/bench-read-tree
catalogue=$build/bench-read.fsr
runs=3

if [[ ! -x $cli ]]; then
  echo "read_bench: $cli not found; build the release tree first" >&2
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

time_read() {
  rm -f "$catalogue"
  local start end
  start=$(now_ns)
  "$cli" read "$tree" -o "$catalogue" > /dev/null
  end=$(now_ns)
  echo $(( (end - start) / 1000 ))
}

time_find() {
  local start end
  start=$(now_ns)
  find "$tree" -printf '%s %T@ %y\n' > /dev/null
  end=$(now_ns)
  echo $(( (end - start) / 1000 ))
}

# Warm the cache (and check that the read works at all).
find "$tree" -printf '%s %T@ %y\n' > /dev/null
time_read > /dev/null

best_read=
best_find=
for _ in $(seq $runs); do
  r=$(time_read)
  f=$(time_find)
  [[ -z $best_read || $r -lt $best_read ]] && best_read=$r
  [[ -z $best_find || $f -lt $best_find ]] && best_find=$f
done

files=$(find "$tree" -type f -not -name .complete | wc -l)
folders=$(( $(find "$tree" -type d | wc -l) - 1 ))
echo "tree: $files files in $folders folders"
awk -v r="$best_read" -v f="$best_find" 'BEGIN {
  printf "volcatra-cli read: %8.1f ms (best of '"$runs"')\n", r / 1000
  printf "find -printf:      %8.1f ms (best of '"$runs"')\n", f / 1000
  printf "ratio:             %8.2f (goal <= 1.30)\n", r / f
}'
