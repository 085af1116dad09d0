#!/usr/bin/env bash
# "Original size": a PDF from 100 real photographs of about 2 MB, against
# cat of the same files (the floor: every byte read and written once) and
# img2pdf (a general tool that does the same job), with the machine and its
# load. Also shows that peak memory stays flat from 10 to 100 files.
set -euo pipefail
source "$(dirname "$0")/common.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
photos=(photo_42_IndexError_4032x3024.jpg photo_iphone_hdr_YES_3264x2448.jpg
        photo_HMD_Nokia_4608x1976.jpg photo_Dragonfly_4224x3168_prog.jpg
        photo_seeding_5312x2988_prog.jpg)
# 100 distinct files, so that nothing is read twice from one name.
list=()
for i in $(seq 0 99); do
  src=$corpus/${photos[$((i % ${#photos[@]}))]}
  cp "$src" "$work/$i.jpg"
  list+=("$work/$i.jpg")
done
bytes=$(cat "${list[@]}" | wc -c)

machine
t_vorpane=$(best_time "$convert_bin" -q -o "$work/out.pdf" "${list[@]}")
t_cat=$(best_time sh -c 'cat "$@" > "$0"' "$work/cat.bin" "${list[@]}")
# vorpane-convert puts the finished document on disk before renaming it into
# place; cat followed by sync does the same amount of work for the disk.
t_catsync=$(best_time sh -c 'cat "$@" > "$0" && sync "$0"' "$work/cat.bin" "${list[@]}")
echo "100 photographs, $(awk -v b="$bytes" 'BEGIN { printf "%.0f", b / 1e6 }') MB, best of $runs runs"
printf '  vorpane-convert --original  %6ss\n' "$t_vorpane"
printf '  cat                         %6ss   vorpane / cat      = %s\n' "$t_cat" "$(ratio "$t_vorpane" "$t_cat")"
printf '  cat + sync                  %6ss   vorpane / cat+sync = %s\n' "$t_catsync" "$(ratio "$t_vorpane" "$t_catsync")"
if command -v img2pdf >/dev/null; then
  t_img2pdf=$(RUNS=1 best_time img2pdf -o "$work/img2pdf.pdf" "${list[@]}")
  printf '  img2pdf                     %6ss   img2pdf / vorpane  = %s\n' "$t_img2pdf" "$(ratio "$t_img2pdf" "$t_vorpane")"
fi
m10=$(peak_mb "$convert_bin" -q -o "$work/out10.pdf" "${list[@]:0:10}")
m100=$(peak_mb "$convert_bin" -q -o "$work/out100.pdf" "${list[@]}")
echo "  peak memory: 10 files ${m10} MB, 100 files ${m100} MB"
load_now
