# The catalogues of the model and desktop benchmarks, written by
# model_bench_tool and kept under $data; sourced by model_bench.sh and
# gui_bench.sh, which set $tool, $data and $bench_name. A catalogue is
# written again only when it is missing or the tool is newer.

# model_catalogue DIR ENTRIES BIG_FOLDER: DIR/catalogue.fsr with ENTRIES
# entries and a folder of BIG_FOLDER files (0: none), and in DIR/characters
# the number of name characters of its entries.
model_catalogue() {
  local dir=$1 entries=$2 big=$3
  if [[ ! -f "$dir/catalogue.fsr" || ! -f "$dir/characters" || "$tool" -nt "$dir/catalogue.fsr" ]]; then
    mkdir -p "$dir"
    echo "$bench_name: writing $entries entries ..." >&2
    "$tool" make "$dir/catalogue.fsr" "$entries" "$big" > "$dir/characters"
  fi
}

# The one-entry catalogue the baselines are measured on: $data/one/one.fsr.
one_entry_catalogue() {
  mkdir -p "$data/one"
  [[ -f "$data/one/one.fsr" ]] || "$tool" make "$data/one/one.fsr" 1 0 > /dev/null
}
