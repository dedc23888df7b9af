#!/usr/bin/env bash
# Opening large catalogues in the desktop program (offscreen), against the
# command-line tool's open of the same file, for 1,000,000 and 10,000,000
# entries.
#
#   bash bench/gui_bench.sh BUILD_DIR [SIZES]
#
# For each size (default "1000000 10000000") a catalogue with one big folder
# (100,000 files in the 1,000,000-entry one, 1,000,000 in the larger ones)
# is written once by model_bench_tool and kept in BUILD_DIR/bench/model-data
# (the 10,000,000-entry file is the model benchmark's). In RUNS rounds
# (default 5), with warm caches, it runs in turns:
#   - volcatra-cli info FILE, a whole process;
#   - volcatra-gui-bench: the desktop program started on the file, showing
#     the tree and the big folder, then sorting that folder by name.
# and prints the best times and the largest peaks:
#   - open: the desktop program's time from its start until the tree and the
#     folder are painted, against info; goal: at most 1.5x;
#   - sort: a click on the name column with the folder in size order, until
#     the list is painted again; goal: under a second;
#   - memory: the peak resident size (GNU time) minus the peak of the same
#     program on a one-entry catalogue, less 2 bytes per name character, per
#     entry, for both programs; the difference is what the views add to the
#     peak of the open. For the desktop program also its resident size when
#     the folder is shown, the same way: the catalogue and the views as they
#     are held, without the open's passing needs.
# First-touch page faults are expensive on some virtual machines: they make
# a large part of the open times there.
set -euo pipefail

build=${1:?usage: gui_bench.sh BUILD_DIR [SIZES]}
sizes=${2:-"1000000 10000000"}
runs=${RUNS:-5}
cli="$build/src/cli/volcatra-cli"
tool="$build/bench/model_bench_tool"
gui="$build/bench/volcatra-gui-bench"
data="$build/bench/model-data"
bench_name=gui_bench
source "$(dirname "$0")/model_data.sh"
mkdir -p "$data"
for f in "$cli" "$tool" "$gui"; do
  [[ -x "$f" ]] || { echo "gui_bench: $f is missing (build first)" >&2; exit 1; }
done
export LC_ALL=C.UTF-8
export QT_QPA_PLATFORM=offscreen
# The names model_bench_tool gives the volume and the big folder.
volume="[MODEL_BENCH] \\"
big_folder="大きなフォルダ"

now_ns() { date +%s%N; }

# "SECONDS KILOBYTES" of one whole run of volcatra-cli info FILE.
cli_run() {
  local start end
  start=$(now_ns)
  /usr/bin/time -f "%M" -o "$data/time.txt" "$cli" info "$1" > /dev/null 2> "$data/stderr.txt" ||
    { cat "$data/stderr.txt" >&2; echo "gui_bench: failed: $cli info $1" >&2; exit 1; }
  end=$(now_ns)
  echo "$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", (e - s) / 1e9 }') $(cat "$data/time.txt")"
}

# The line of volcatra-gui-bench (see gui_bench.cpp) and the peak resident
# size of the whole process in kilobytes.
gui_run() {
  local start line
  start=$(now_ns)
  line=$(/usr/bin/time -f "%M" -o "$data/time.txt" "$gui" "$1" "$2" "$start" 2> "$data/stderr.txt") ||
    { cat "$data/stderr.txt" >&2; echo "gui_bench: failed: $gui $1 $2" >&2; exit 1; }
  echo "$line $(cat "$data/time.txt")"
}

min() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b) ? a : b }'; }
max() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a > b) ? a : b }'; }

# The baselines: both programs on a one-entry catalogue.
one_entry_catalogue
cli_base_kb= gui_base_kb= gui_base_rss_kb=
for ((i = 0; i < runs; i++)); do
  read -r _ kb < <(cli_run "$data/one/one.fsr")
  cli_base_kb=$(max "$kb" "$cli_base_kb")
  read -r _ _ _ _ _ rss_kb kb < <(gui_run "$data/one/one.fsr" "$volume")
  gui_base_kb=$(max "$kb" "$gui_base_kb")
  gui_base_rss_kb=$(max "$rss_kb" "$gui_base_rss_kb")
done

for n in $sizes; do
  big=1000000
  ((n < 10000000)) && big=100000
  # The model benchmark's catalogue where it has the same big folder.
  dir="$data/$n-$big"
  ((n >= 10000000 && big == 1000000)) && dir="$data/$n"
  file="$dir/catalogue.fsr"
  model_catalogue "$dir" "$n" "$big"
  characters=$(cat "$dir/characters")
  "$cli" info "$file" > /dev/null  # warm the page cache
  cli_s= cli_kb= gui_s= open_s= sort_s= sort_cpu= rss_kb= gui_kb=
  for ((i = 0; i < runs; i++)); do
    read -r s kb < <(cli_run "$file")
    cli_s=$(min "$s" "$cli_s")
    cli_kb=$(max "$kb" "$cli_kb")
    read -r rows s o so sc rkb kb < <(gui_run "$file" "$volume$big_folder")
    if ((rows != big)); then
      echo "gui_bench: the big folder of $file shows $rows rows, not $big" >&2
      exit 1
    fi
    gui_s=$(min "$s" "$gui_s")
    open_s=$(min "$o" "$open_s")
    sort_s=$(min "$so" "$sort_s")
    sort_cpu=$(min "$sc" "$sort_cpu")
    rss_kb=$(max "$rkb" "$rss_kb")
    gui_kb=$(max "$kb" "$gui_kb")
  done
  awk -v n="$n" -v big="$big" -v mb="$(stat -c %s "$file")" -v chars="$characters" -v runs="$runs" \
      -v cs="$cli_s" -v ckb="$cli_kb" -v cb="$cli_base_kb" -v gs="$gui_s" -v os="$open_s" \
      -v ss="$sort_s" -v sc="$sort_cpu" -v rkb="$rss_kb" -v gkb="$gui_kb" -v gb="$gui_base_kb" \
      -v rb="$gui_base_rss_kb" 'BEGIN {
    printf "%d entries (a folder of %d), %.1f MB, %.1f name characters per entry, best of %d\n", n, big, mb / 1e6, chars / n, runs
    printf "  open:   desktop program, start to tree and folder shown %7.3f s (%.3f s of it from opening the file)\n", gs, os
    printf "          volcatra-cli info %7.3f s   ratio %.2f  (goal: at most 1.5)\n", cs, gs / cs
    printf "  sort:   the folder by name %7.3f s (%.3f s processor time)  (goal: under 1)\n", ss, sc
    g = ((gkb - gb) * 1024 - 2 * chars) / n
    held = ((rkb - rb) * 1024 - 2 * chars) / n
    c = ((ckb - cb) * 1024 - 2 * chars) / n
    printf "  memory: bytes per entry beyond the baseline and 2 per name character (goal: at most 64 plus the views)\n"
    printf "          desktop program   %6.1f at the peak (%.0f MB, baseline %.0f MB)\n", g, gkb / 1024, gb / 1024
    printf "          volcatra-cli info %6.1f at the peak (%.0f MB, baseline %.0f MB)\n", c, ckb / 1024, cb / 1024
    printf "          the views add     %6.1f to the peak (%.0f MB)\n", g - c, (g - c) * n / 1048576
    printf "          desktop program   %6.1f held when the folder is shown (%.0f MB resident, baseline %.0f MB)\n", held, rkb / 1024, rb / 1024
  }'
done
