#!/usr/bin/env bash
# How long the test of every listed file takes before any work, on a list of
# 2,000 photographs: the same test the window runs before it asks about the
# files that can't be converted (TestListedFiles). vorpane-convert runs it
# first too; a file that is no picture at the end of the list makes it stop
# right after the test, so its time is the test's (and the program's start).
#
#   bench/list_test.sh [PHOTO]
#
# PHOTO defaults to a 12 MP baseline phone photograph of the corpus (2.9 MB).
# The list is 2,000 hard links to one copy of it, so every file is read from
# the page cache: the figure is the test's own cost, not the disk's. Each
# figure is the best of RUNS (default 1) runs.
set -euo pipefail
runs=${RUNS:-1}
source "$(dirname "$0")/common.sh"
photo=${1:-$corpus/photo_42_IndexError_4032x3024.jpg}
[ -f "$photo" ] || { echo "no photograph at $photo" >&2; exit 66; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$photo" "$work/photo.jpg"
for ((i = 0; i < 2000; i++)); do
  ln "$work/photo.jpg" "$work/$(printf 'IMG_%04d.jpg' "$i")"
done
echo "not a picture" >"$work/not_a_picture.jpg"
list=("$work"/IMG_*.jpg "$work/not_a_picture.jpg")

# Refused for that one file (status 1, or 4 when it can't be decoded) is the
# expected end; the message must name it alone.
refused() {
  local status=0 message
  message=$("$convert_bin" -q "$@" -o "$work/out.pdf" "${list[@]}" 2>&1) || status=$?
  [ "$status" -eq 1 ] || [ "$status" -eq 4 ] || return 1
  [ "$(grep -c 'IMG_' <<<"$message")" -eq 0 ] && grep -q not_a_picture <<<"$message"
}

machine
echo "2,000 x $(basename "$photo") ($(stat -c %s "$photo") bytes)"
original=$(best_time refused --original)
same=$(best_time refused --size 800x600)
echo "Original size (header and data walked): $original s"
echo "Same size (picture headers):            $same s"
[ ! -e "$work/out.pdf" ] || { echo "a document was written" >&2; exit 1; }
load_now
