#!/usr/bin/env bash
# The pictures a phone makes besides JPEG. A 12 MP HEIC (a corpus photograph
# of 4032 x 3024 made HEIC by heif-enc) to an 800 x 600 page, against
# heif-convert to a JPEG followed by the JPEG road; and 100 PNG screenshots
# (1080 x 2340, five kinds drawn by ImageMagick) in "Original size" against
# img2pdf, with the size of each document.
set -euo pipefail
source "$(dirname "$0")/common.sh"
runs=${RUNS:-3}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

machine
heif-enc -q 80 -o "$work/photo.heic" "$corpus/photo_42_IndexError_4032x3024.jpg" >/dev/null
t_heic=$(best_time "$convert_bin" -q --size 800x600 -o "$work/heic.pdf" "$work/photo.heic")
t_road=$(best_time sh -c 'heif-convert -q 100 "$1" "$2" && "$0" -q --size 800x600 -o "$3" "$2"' \
  "$convert_bin" "$work/photo.heic" "$work/photo.jpg" "$work/road.pdf")
echo "12 MP HEIC to 800 x 600, best of $runs runs"
printf '  vorpane-convert --size 800x600 photo.heic  %6ss\n' "$t_heic"
printf '  heif-convert + the JPEG road                %6ss   road / vorpane = %s\n' \
  "$t_road" "$(ratio "$t_road" "$t_heic")"

list=()
for k in 0 1 2 3 4; do
  convert -size 1080x2340 "xc:#f4f4f4" -fill "#$((k + 2))0$((k + 3))0a0" -draw "rectangle 0,0 1080,220" \
    -fill black -pointsize 44 -draw "text 60,400 'Screenshot $k: settings, messages, maps'" \
    -draw "text 60,520 'Wi-Fi  Bluetooth  Battery  Display'" -fill "#3070d0" \
    -draw "circle 540,1300 540,$((1000 + 40 * k))" -alpha off -depth 8 "$work/shot$k.png"
done
for i in $(seq 0 99); do
  cp "$work/shot$((i % 5)).png" "$work/$i.png"
  list+=("$work/$i.png")
done
bytes=$(cat "${list[@]}" | wc -c)
t_png=$(best_time "$convert_bin" -q -o "$work/png.pdf" "${list[@]}")
echo "100 PNG screenshots, $(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }') MB, \"Original size\", best of $runs runs"
printf '  vorpane-convert           %6ss   %s bytes\n' "$t_png" "$(stat -c %s "$work/png.pdf")"
if command -v img2pdf >/dev/null; then
  t_img2pdf=$(best_time img2pdf -o "$work/img2pdf.pdf" "${list[@]}")
  printf '  img2pdf                   %6ss   %s bytes   img2pdf / vorpane = %s\n' "$t_img2pdf" \
    "$(stat -c %s "$work/img2pdf.pdf")" "$(ratio "$t_img2pdf" "$t_png")"
fi
echo "  peak memory: vorpane-convert $(peak_mb "$convert_bin" -q -o "$work/png.pdf" "${list[@]}") MB"
load_now
