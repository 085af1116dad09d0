#!/usr/bin/env bash
# "Same size" 800 x 600 at quality 100: a PDF from 20 photographs of 12 to
# 18 megapixels, prepared by one worker (-j 1) and by one per core (-j N,
# N = nproc), against ImageMagick (convert per file with the Lanczos filter,
# then img2pdf of the results). Prints the times, the speed-up of the
# workers, the ratio to ImageMagick, milliseconds per megapixel, the peak
# memory of both runs, the machine and its load, and checks that both runs wrote the same PDF. Also
# shows that peak memory stays flat from 10 to 100 files.
set -euo pipefail
source "$(dirname "$0")/common.sh"
# The real ImageMagick: a "convert" earlier in PATH may be a wrapper.
im_convert=/usr/bin/convert
[ -x "$im_convert" ] || { echo "needs ImageMagick's convert (apt-get install imagemagick)" >&2; exit 1; }
command -v img2pdf >/dev/null || { echo "needs img2pdf (apt-get install img2pdf)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
album_of_twenty "$work"

imagemagick() {
  mkdir -p "$work/im"
  for f in "${list[@]}"; do
    "$im_convert" "$f" -filter Lanczos -resize '800x600!' -quality 100 "$work/im/$(basename "$f")"
  done
  img2pdf -o "$work/im.pdf" "$work"/im/*.jpg
}

jobs=$(nproc)
runs=${RUNS:-3}
machine
same_size() { # jobs output
  "$convert_bin" -q -j "$1" --size 800x600 --quality 100 -o "$2" "${list[@]}"
}
t_one=$(best_time same_size 1 "$work/one.pdf")
t_all=$(best_time same_size "$jobs" "$work/all.pdf")
t_im=$(best_time imagemagick)
cmp -s "$work/one.pdf" "$work/all.pdf" || { echo "-j 1 and -j $jobs wrote different PDFs" >&2; exit 1; }
mp=$(megapixels "${list[@]}")
m_one=$(peak_mb "$convert_bin" -q -j 1 --size 800x600 --quality 100 -o "$work/m.pdf" "${list[@]}")
m_all=$(peak_mb "$convert_bin" -q -j "$jobs" --size 800x600 --quality 100 -o "$work/m.pdf" "${list[@]}")
echo "20 photographs of 12 to 18 megapixels to 800 x 600, quality 100, best of $runs runs"
printf '  vorpane-convert -j 1               %6ss   peak memory %s MB\n' "$t_one" "$m_one"
printf '  vorpane-convert -j %-2s              %6ss   peak memory %s MB   -j 1 / -j %s = %s (goal >= 1.8)\n' \
  "$jobs" "$t_all" "$m_all" "$jobs" "$(ratio "$t_one" "$t_all")"
printf '  ImageMagick convert + img2pdf      %6ss   vorpane -j %s / ImageMagick = %s (goal <= 0.2), -j 1: %s\n' \
  "$t_im" "$jobs" "$(ratio "$t_all" "$t_im")" "$(ratio "$t_one" "$t_im")"
echo "  per megapixel ($mp in all): -j 1 $(per_megapixel "$t_one" "$mp") ms, -j $jobs $(per_megapixel "$t_all" "$mp") ms, ImageMagick $(per_megapixel "$t_im" "$mp") ms"
many=()
for i in $(seq 0 99); do many+=("${list[$((i % 20))]}"); done
m10=$(peak_mb "$convert_bin" -q --size 800x600 -o "$work/m10.pdf" "${many[@]:0:10}")
m100=$(peak_mb "$convert_bin" -q --size 800x600 -o "$work/m100.pdf" "${many[@]}")
echo "  peak memory, -j $jobs: 10 files ${m10} MB, 100 files ${m100} MB"
load_now
