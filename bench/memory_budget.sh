#!/usr/bin/env bash
# Peak memory of "Same size" with many images prepared at once, without a
# budget to speak of and within one: each progressive photograph holds
# libjpeg's whole coefficient buffer while it decodes, so N at once take N
# times that unless the budget (--memory) holds them back.
#
#   bench/memory_budget.sh [JOBS] [PHOTOS] [BUDGET]
#
# JOBS (default 16) workers on PHOTOS (default 16) hard links to the
# corpus's large progressive photographs (12 to 17 MP), prepared at
# 800x600; BUDGET defaults to 400MB. The documents must be the same.
set -euo pipefail
runs=1
source "$(dirname "$0")/common.sh"
jobs=${1:-16}
count=${2:-16}
budget=${3:-400MB}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sources=()
for source in "$corpus"/photo_*_prog.jpg "$corpus"/art_*_prog.jpg; do
  cp "$source" "$work/"
  sources+=("$work/$(basename "$source")")
done
list=()
for ((i = 0; i < count; i++)); do
  ln "${sources[i % ${#sources[@]}]}" "$work/$(printf 'IMG_%03d.jpg' "$i")"
  list+=("$work/$(printf 'IMG_%03d.jpg' "$i")")
done

machine
echo "$count photos, $(megapixels "${list[@]}") MP, -j $jobs, --size 800x600"
unbounded=$(peak_mb "$convert_bin" -q -j "$jobs" --memory 1000GB --size 800x600 -o "$work/a.pdf" "${list[@]}")
bounded=$(peak_mb "$convert_bin" -q -j "$jobs" --memory "$budget" --size 800x600 -o "$work/b.pdf" "${list[@]}")
cmp -s "$work/a.pdf" "$work/b.pdf" || { echo "the documents differ" >&2; exit 1; }
echo "Peak memory, --memory 1000GB: $unbounded MB"
echo "Peak memory, --memory $budget: $bounded MB ($(ratio "$bounded" "$unbounded") x)"
load_now
