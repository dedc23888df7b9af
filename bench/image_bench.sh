#!/usr/bin/env bash
# Reading a disc image: volcatra-cli read against isoinfo(1) over the same image.
#
#   bash bench/image_bench.sh BUILD_DIR [RUNS]
#
# Makes (once) a tree of 50,000 files in nested folders, about 1 GB in all,
# and an ISO 9660 image of it with Joliet and Rock Ridge (genisoimage -J -R),
# then times, RUNS times each (default 5), alternating,
#   volcatra-cli read IMAGE -o OUT.fsr --no-archives
# against
#   isoinfo -l -R -i IMAGE
# (a walk over every directory record of the same image, printing each entry)
# and prints both medians, their ratio (goal: at most 1.5) and the number of
# files and folders each side saw, so that one can tell both walked the same
# tree. The page cache is not dropped: one untimed run of each side comes
# first, so both read the image warm.
#
# The files are sparse (their contents are zeros and take no disk space in
# the tree; the image itself takes its full size). Tree and image are kept in
# BUILD_DIR/bench-image and made again only when the layout below changes.
set -euo pipefail
export LC_ALL=C.UTF-8

build=$(cd "${1:?usage: image_bench.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-5}
cli=$build/src/cli/volcatra-cli
data=$build/bench-image
tree=$data/tree
list=$data/files.tsv
image=$data/bench.iso
catalogue=$data/bench.fsr
listing=$data/isoinfo.txt
# Bump when the generator below changes, so that cached data is made again.
layout=1
total_files=50000

[[ -x $cli ]] || { echo "image_bench: $cli not found; build the release tree first" >&2; exit 1; }
for tool in genisoimage isoinfo perl; do
  command -v "$tool" > /dev/null || { echo "image_bench: $tool not found (scripts/install-deps installs it)" >&2; exit 1; }
done

# Prints "SIZE<TAB>PATH" for every file of the tree, exactly $total_files
# lines, the same every time. A backup disc of a household: a few videos, an
# album collection, photos by year and event, office documents, and source
# trees that make up most of the count (small files, folders up to 7 below the
# root, the most ISO 9660 takes without moving them). Names mix ASCII and
# Japanese, as such discs do; none is longer than Joliet's 64 characters and no
# folder holds more than a few hundred entries.
generate_list() {
  awk -v total="$total_files" '
    function emit(path, size) {
      if (n >= total) return
      printf "%d\t%s\n", size, path
      ++n
    }
    function between(lo, hi) { return int(lo + rand() * (hi - lo)) }
    function pick(list,    parts, k) { k = split(list, parts, "|"); return parts[1 + int(rand() * k)] }
    BEGIN {
      srand(15)
      MB = 1048576; KB = 1024

      # Video: 6 files of 40 to 60 MB.
      split("運動会 2019|Family holiday 2020|結婚式|New Year 2021|Hanami 2022|Graduation", video, "|")
      for (i = 1; i <= 6; ++i) emit("Video/" video[i] ".mp4", between(40 * MB, 60 * MB))

      # Music: 10 artists, 2 albums each, 12 tracks of 1.5 to 2.5 MB.
      split("The Paper Lanterns|北風楽団|Mira Okada|Blue Harbour|青い鳥|Night Tram|Sora Quartet|Kite Factory|遠雷|Lumen", artist, "|")
      titles = "Morning Light|夜明け|Rain on Glass|Harbour Lights|Last Train|桜の道|Slow River|Paper Moon|風の歌|Northbound|静かな海|Afterglow"
      for (a = 1; a <= 10; ++a)
        for (b = 1; b <= 2; ++b) {
          album = sprintf("音楽/%s/%d - %s", artist[a], 2000 + a + 7 * b, pick("Live at the Hall|Collected|第二章|Songs for Winter|Daybreak|旅路"))
          for (t = 1; t <= 12; ++t)
            emit(sprintf("%s/%02d %s.mp3", album, t, pick(titles)), between(1.5 * MB, 2.5 * MB))
        }

      # Photos: 8 years of 10 events of 40 photos, 30 to 70 KB each.
      events = "Kyoto trip|Birthday|花見|Beach|Wedding|運動会|Zoo|Garden|お正月|Camping|Festival|Snow"
      for (y = 2016; y <= 2023; ++y)
        for (e = 1; e <= 10; ++e) {
          folder = sprintf("Photos/%d/%d-%02d-%02d %s", y, y, e, between(1, 29), pick(events))
          for (p = 1; p <= 40; ++p)
            emit(sprintf("%s/IMG_%04d.JPG", folder, y % 100 * 100 + e * 40 + p), between(30 * KB, 70 * KB))
        }

      # Documents: 6 areas, 8 years, 50 documents of 4 to 40 KB.
      split("Finance|家計簿|School|Health|Letters|仕事", area, "|")
      split("pdf|docx|xlsx|txt|odt|pptx", ext, "|")
      words = "report|invoice|meeting notes|見積書|plan|summary|議事録|budget|letter|receipt|schedule|申込書"
      for (r = 1; r <= 6; ++r)
        for (y = 2016; y <= 2023; ++y)
          for (d = 1; d <= 50; ++d)
            emit(sprintf("Documents/%s/%d/%s %03d.%s", area[r], y, pick(words), d, ext[1 + d % 6]), between(4 * KB, 40 * KB))

      # Source trees: the rest, files of 200 bytes to 3 KB. Every project has
      # modules of submodules of files, and test data 7 folders deep.
      split("net|io|ui|core|util|parse|render|audio|db|crypto|config|log", module, "|")
      split("http|json|buffer|cache|stream|thread|timer|event|path|string|table|queue", part, "|")
      split("c|h|cpp|hpp|py|txt", srcext, "|")
      for (proj = 1; n < total; ++proj) {
        root = sprintf("Source/%s-%d", pick("kiln|harbour|tansu|lantern|origami|compass|abacus|furoshiki"), proj)
        emit(root "/README.md", between(1 * KB, 8 * KB))
        emit(root "/CMakeLists.txt", between(1 * KB, 4 * KB))
        for (m = 1; m <= 12; ++m)
          for (s = 1; s <= 6; ++s) {
            dir = root "/src/" module[m] "/" part[(m + s) % 12 + 1]
            for (f = 1; f <= 40; ++f)
              emit(sprintf("%s/%s_%s_%02d.%s", dir, part[(m + s) % 12 + 1], pick("impl|util|types|test|io|core"), f, srcext[1 + f % 6]), between(200, 3 * KB))
          }
        for (c = 1; c <= 20; ++c)
          for (f = 1; f <= 10; ++f)
            emit(sprintf("%s/tests/data/cases/%02d/input/case%02d_%d.txt", root, c, c, f), between(200, 2 * KB))
      }
    }'
}

if [[ ! -f $data/complete || $(cat "$data/complete") != "$layout" ]]; then
  echo "image_bench: making $total_files files and their image in $data ..."
  rm -rf "$data"
  mkdir -p "$tree"
  generate_list > "$list"
  started=$EPOCHREALTIME
  (
    cd "$tree"
    cut -f2 "$list" | sed 's#/[^/]*$##' | sort -u | xargs -d '\n' mkdir -p
    # Sparse files of the listed sizes (names may hold spaces), last written at
    # times spread over the years from 2016 on, a little over an hour apart.
    perl -ne 'chomp; my ($size, $path) = split /\t/, $_, 2; my $time = 1451606400 + $. * 3917;
      open(my $f, ">", $path) or die "$path: $!"; truncate($f, $size) or die "$path: $!"; close($f);
      utime($time, $time, $path) or die "$path: $!";' "$list"
  )
  tree_done=$EPOCHREALTIME
  genisoimage -quiet -J -R -input-charset utf-8 -V VOLCATRA_BENCH -o "$image" "$tree" 2> "$data/genisoimage.log" \
    || { cat "$data/genisoimage.log" >&2; exit 1; }
  awk -v a="$started" -v b="$tree_done" -v c="$EPOCHREALTIME" \
    'BEGIN { printf "image_bench: tree made in %.1f s, image in %.1f s\n", b - a, c - b }'
  echo "$layout" > "$data/complete"
fi

time_read() {
  rm -f "$catalogue"
  local start=$EPOCHREALTIME
  "$cli" read "$image" -o "$catalogue" --no-archives > /dev/null || return 1
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.6f\n", b - a }'
}

# Into a file, as the read writes its catalogue to one.
time_isoinfo() {
  rm -f "$listing"
  local start=$EPOCHREALTIME
  isoinfo -l -R -i "$image" > "$listing" || return 1
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.6f\n", b - a }'
}

# "MEDIAN MIN MAX" of the times on standard input, one a line.
spread() { sort -g | awk '{ t[NR] = $1 } END { printf "%.6f %.6f %.6f\n", t[int((NR + 1) / 2)], t[1], t[NR] }'; }

# Warm the cache, and check that both sides work at all.
time_isoinfo > /dev/null || { echo "image_bench: isoinfo could not list $image" >&2; exit 1; }
time_read > /dev/null || { echo "image_bench: volcatra-cli could not read $image (does this build read images?)" >&2; exit 1; }

read_times=()
isoinfo_times=()
for _ in $(seq "$runs"); do
  read_times+=("$(time_read)")
  isoinfo_times+=("$(time_isoinfo)")
done
read -r read_median read_min read_max < <(printf '%s\n' "${read_times[@]}" | spread)
read -r isoinfo_median isoinfo_min isoinfo_max < <(printf '%s\n' "${isoinfo_times[@]}" | spread)

# What each side saw. isoinfo lists every folder under a "Directory listing
# of" heading (the root too) and every entry as a line like ls -l; the
# catalogue's volume line gives its folder count (the root not counted) and
# its file count.
made_files=$(wc -l < "$list")
made_folders=$(find "$tree" -mindepth 1 -type d | wc -l)
iso_files=$(grep -c '^-' "$listing" || true)
iso_folders=$(( $(grep -c '^Directory listing of ' "$listing" || true) - 1 ))
IFS=$'\t' read -r _ _ _ _ cat_folders cat_files _ < <("$cli" info "$catalogue")
image_bytes=$(stat -c %s "$image")

awk -v runs="$runs" -v bytes="$image_bytes" -v r="$read_median" -v i="$isoinfo_median" \
    -v rmin="$read_min" -v rmax="$read_max" -v imin="$isoinfo_min" -v imax="$isoinfo_max" \
    -v mf="$made_files" -v md="$made_folders" -v isf="$iso_files" -v isd="$iso_folders" \
    -v cf="$cat_files" -v cd="$cat_folders" 'BEGIN {
  printf "image: %.2f GB, made from %d files in %d folders (warm page cache, not dropped)\n", bytes / 1e9, mf, md
  printf "volcatra-cli read: %8.1f ms  median of %d, %.1f to %.1f  (%d files, %d folders)\n", r * 1000, runs, rmin * 1000, rmax * 1000, cf, cd
  printf "isoinfo -l -R:     %8.1f ms  median of %d, %.1f to %.1f  (%d files, %d folders)\n", i * 1000, runs, imin * 1000, imax * 1000, isf, isd
  printf "ratio:             %8.2f  (goal: at most 1.50)\n", r / i
}'

if [[ $cat_files != "$iso_files" || $iso_files != "$made_files" ]]; then
  echo "image_bench: the two sides did not see the same files; the ratio does not compare like with like" >&2
  if [[ $cat_files == 1 ]]; then
    echo "image_bench: the read recorded the image as one file: this volcatra-cli does not read images" >&2
  fi
  exit 1
fi
