#!/usr/bin/env bash
# How long the window's GUI thread is held, on Qt's offscreen platform:
#   - by a click that previews a large progressive photograph: the decode on
#     the GUI thread (what such a click held the window for when the preview
#     decoded there) against the longest the GUI thread now goes without
#     serving its events, and how soon the picture shows;
#   - by a folder of FILES photographs (default 2,000): how soon the file
#     list has them all and the GUI thread's longest gap while it reads, and,
#     switched to large icons, how soon the thumbnails in sight are drawn and
#     the GUI thread's longest gap meanwhile;
#   - by opening a folder of FILES sub-folders in the folder tree, which
#     reads them on a thread of its own: what the opening itself holds the
#     GUI thread for, how soon the sub-folders show, and the longest any one
#     pass of the GUI thread's event loop takes meanwhile (their insertion
#     and layout).
#
#   bench/window.sh [PHOTO] [ROUNDS] [FILES]
#
# PHOTO defaults to the largest progressive photograph of the shared corpus
# beside the repository (5640 x 3172, 16 MB). The folder is made of hard
# links to the corpus's photographs, so it costs no disk space. Each figure
# is the median of ROUNDS (default 5) runs.
set -euo pipefail
source "$(dirname "$0")/common.sh"
photo=${1:-$corpus/art_Elephants_5640x3172_prog.jpg}
rounds=${2:-5}
files=${3:-2000}
[ -f "$photo" ] || { echo "no photograph at $photo" >&2; exit 66; }

build_targets vorpane_window_bench
bench=build/bench/vorpane_window_bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Copies first: a hard link can't cross file systems.
photos=()
for source in "$corpus"/photo_*.jpg; do
  cp "$source" "$work/"
  photos+=("$work/$(basename "$source")")
done
mkdir "$work/album"
for ((i = 0; i < files; i++)); do
  ln "${photos[i % ${#photos[@]}]}" "$work/album/$(printf 'IMG_%04d.jpg' "$i")"
done

mkdir "$work/trips"
(cd "$work/trips" && seq -f 'Trip %g' 0 $((files - 1)) | xargs -d '\n' mkdir)

for ((round = 0; round < rounds; round++)); do
  "$bench" "$photo" "$work/album" "$work/trips" 2>/dev/null
done >"$work/figures"
median() { # name
  awk -v n="$1" '$1 == n { print $2 }' "$work/figures" | sort -g |
    awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

machine
echo "Photograph: $photo; folder: $files photographs; medians of $rounds runs, seconds"
echo "Preview:"
echo "  decode on the GUI thread (the old freeze)   $(median preview_decode)"
echo "  ShowPreview's own time on the GUI thread    $(median preview_call)"
echo "  longest GUI-thread gap while it decodes     $(median preview_stall)"
echo "  until the picture shows                     $(median preview_shown)"
echo "  old freeze / longest gap now                $(ratio "$(median preview_decode)" "$(median preview_stall)" %.0f) x"
echo "Folder of $(median list_items) photographs:"
echo "  until the file list has them all            $(median list_shown)"
echo "  longest GUI-thread gap while it reads       $(median list_stall)"
echo "  large icons: until the thumbnails in sight  $(median thumbnails_shown)"
echo "  longest GUI-thread gap meanwhile            $(median thumbnails_stall)"
echo "Folder tree, a folder of $(median tree_folders) sub-folders:"
echo "  opening it holds the GUI thread for         $(median tree_open)"
echo "  until its sub-folders show                  $(median tree_shown)"
echo "  longest the GUI thread is held meanwhile    $(median tree_hold)"
load_now
