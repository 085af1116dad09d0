#!/usr/bin/env bash
# "Same size" 800 x 600 at quality 100: a PDF from 20 photographs of 12 to
# 18 megapixels, against ImageMagick (convert per file with the Lanczos
# filter, then img2pdf of the results). Also shows that peak memory stays
# flat from 10 to 100 files.
set -euo pipefail
source "$(dirname "$0")/common.sh"
# The real ImageMagick: a "convert" earlier in PATH may be a wrapper.
im_convert=/usr/bin/convert
[ -x "$im_convert" ] || { echo "needs ImageMagick's convert" >&2; exit 1; }
command -v img2pdf >/dev/null || { echo "needs img2pdf" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
photos=(photo_42_IndexError_4032x3024.jpg photo_Dragonfly_4224x3168_prog.jpg
        photo_seeding_5312x2988_prog.jpg art_Elephants_5640x3172_prog.jpg)
list=()
for i in $(seq 0 19); do
  cp "$corpus/${photos[$((i % ${#photos[@]}))]}" "$work/$i.jpg"
  list+=("$work/$i.jpg")
done

imagemagick() {
  mkdir -p "$work/im"
  for f in "${list[@]}"; do
    "$im_convert" "$f" -filter Lanczos -resize '800x600!' -quality 100 "$work/im/$(basename "$f")"
  done
  img2pdf -o "$work/im.pdf" "$work"/im/*.jpg
}

runs=${RUNS:-3}
t_vorpane=$(best_time "$convert_bin" -q --size 800x600 --quality 100 -o "$work/out.pdf" "${list[@]}")
t_im=$(best_time imagemagick)
echo "20 photographs of 12 to 18 megapixels to 800 x 600, quality 100, best of $runs runs"
printf '  vorpane-convert --size 800x600     %6ss\n' "$t_vorpane"
printf '  ImageMagick convert + img2pdf      %6ss   vorpane / ImageMagick = %s\n' "$t_im" "$(ratio "$t_vorpane" "$t_im")"
many=()
for i in $(seq 0 99); do many+=("${list[$((i % 20))]}"); done
m10=$(peak_mb "$convert_bin" -q --size 800x600 -o "$work/m10.pdf" "${many[@]:0:10}")
m100=$(peak_mb "$convert_bin" -q --size 800x600 -o "$work/m100.pdf" "${many[@]}")
echo "  peak memory: 10 files ${m10} MB, 100 files ${m100} MB"
