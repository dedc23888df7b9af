#!/usr/bin/env bash
# Opening, holding and saving large catalogues, for 1,000,000 and
# 10,000,000 entries.
#
#   bash bench/model_bench.sh BUILD_DIR [SIZES]
#
# For each size (default "1000000 10000000"; the larger one has a folder of
# 1,000,000 files) it prints, all measured in the same run with warm caches:
#   - open: volcatra-cli info FILE, best of RUNS (default 3), against the
#     no-hit search over the same file (volcatra-cli search --in a folder
#     holding only it, a name no entry has: every record decoded and
#     checked, no entries built); goal: at most 2x;
#   - memory: the peak resident size of that info minus the peak of info on
#     a one-entry catalogue, less 2 bytes per name character, per entry;
#     goal: at most 64;
#   - save: saving the loaded catalogue against writing the same bytes as a
#     save writes them (temporary file, fsync, rename); goal: at most 2x.
# The catalogues are kept in BUILD_DIR/bench/model-data.
set -euo pipefail

build=${1:?usage: model_bench.sh BUILD_DIR [SIZES]}
sizes=${2:-"1000000 10000000"}
runs=${RUNS:-3}
cli="$build/src/cli/volcatra-cli"
tool="$build/bench/model_bench_tool"
data="$build/bench/model-data"
bench_name=model_bench
source "$(dirname "$0")/model_data.sh"
mkdir -p "$data"
for f in "$cli" "$tool"; do
  [[ -x "$f" ]] || { echo "model_bench: $f is missing (build first)" >&2; exit 1; }
done

# "SECONDS KILOBYTES" of one run of a command (GNU time).
measure() {
  /usr/bin/time -f "%e %M" -o "$data/time.txt" "$@" > /dev/null 2>&1 || { echo "model_bench: failed: $*" >&2; exit 1; }
  cat "$data/time.txt"
}
# The best time and the largest peak of RUNS runs: "SECONDS KILOBYTES".
best() {
  local t m bt=1e9 bm=0
  for ((i = 0; i < runs; i++)); do
    read -r t m < <(measure "$@")
    bt=$(awk -v a="$t" -v b="$bt" 'BEGIN { print (a < b) ? a : b }')
    ((m > bm)) && bm=$m
  done
  echo "$bt $bm"
}

one_entry_catalogue
read -r _ base_kb < <(best "$cli" info "$data/one/one.fsr")

for n in $sizes; do
  big=0
  ((n >= 10000000)) && big=1000000
  dir="$data/$n"
  file="$dir/catalogue.fsr"
  model_catalogue "$dir" "$n" "$big"
  characters=$(cat "$dir/characters")
  "$cli" info "$file" > /dev/null  # warm the page cache
  read -r open_s open_kb < <(best "$cli" info "$file")
  read -r scan_s _ < <(best "$cli" search --in "$dir" "no-such-name.none")
  read -r save_s write_s < <("$tool" save "$file" "$runs")
  awk -v n="$n" -v big="$big" -v mb="$(stat -c %s "$file")" -v chars="$characters" \
      -v o="$open_s" -v s="$scan_s" -v okb="$open_kb" -v bkb="$base_kb" -v sv="$save_s" -v w="$write_s" 'BEGIN {
    printf "%d entries%s, %.1f MB, %.1f name characters per entry\n", n, big ? " (a folder of " big ")" : "", mb / 1e6, chars / n
    printf "  open  (info):           %7.3f s   no-hit search %7.3f s   ratio %.2f  (goal: at most 2)\n", o, s, o / s
    bytes = (okb - bkb) * 1024 - 2 * chars
    printf "  memory:                 %7.1f MB peak beyond the baseline: %.1f bytes per entry beyond the names  (goal: at most 64)\n", (okb - bkb) / 1024, bytes / n
    printf "  save:                   %7.3f s   write of the same bytes %7.3f s   ratio %.2f  (goal: at most 2)\n", sv, w, sv / w
  }'
done
