#!/usr/bin/env bash
# Prepares one photograph the way "Same size" does (decode, Lanczos3 to
# 800 x 600, encode at quality 100) and prints, from one run:
#   - wall time against ImageMagick's convert doing the same and against
#     djpeg's bare full-size decode of the file (the floor), with ratios and
#     milliseconds per megapixel of the photograph:
#     as a conversion of one photograph does it (a spare thread scaling while
#     the photograph decodes) and on one thread alone (as each worker of a
#     batch does);
#   - the peak memory of the whole program;
#   - what the resampler's drain calls cost, against a build without them;
#   - the machine and its load, which the figures depend on.
#
#   bench/prepare_photo.sh [PHOTO] [ROUNDS]
#
# PHOTO defaults to the 4032 x 3024 photograph of the shared corpus beside
# the repository. Each figure is the median of ROUNDS (default 9) runs, the
# tools taking turns so that a busy moment hits them alike; the best run is
# shown too.
set -euo pipefail
source "$(dirname "$0")/common.sh"
photo=${1:-../shared/corpus/photo_42_IndexError_4032x3024.jpg}
rounds=${2:-9}
[ -f "$photo" ] || { echo "no photograph at $photo" >&2; exit 66; }
# The real ImageMagick: a wrapper earlier in PATH would add its own start-up.
convert=/usr/bin/convert
[ -x "$convert" ] || convert=$(command -v convert)

build_targets vorpane_prepare_bench vorpane_prepare_bench_nodrain
bench=build/bench/vorpane_prepare_bench
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Microseconds one run of a command takes.
elapsed() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
}

# "median best" of the numbers given, in seconds.
summary() {
  printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END {
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%.4f %.4f\n", m / 1e6, v[1] / 1e6 }'
}

machine

ours=() single=() magick=() floor=()
for ((round = 0; round < rounds; round++)); do
  ours+=("$(elapsed "$bench" --runs 0 --spare-thread "$photo" "$out/ours.jpg" 800 600 100)")
  single+=("$(elapsed "$bench" --runs 0 "$photo" "$out/single.jpg" 800 600 100)")
  magick+=("$(elapsed "$convert" "$photo" -filter Lanczos -resize '800x600!' -quality 100 "$out/magick.jpg")")
  floor+=("$(elapsed djpeg -outfile /dev/null "$photo")")
done
cmp -s "$out/ours.jpg" "$out/single.jpg" || { echo "the two ways gave different files" >&2; exit 1; }
read -r ours_median ours_best < <(summary "${ours[@]}")
read -r single_median single_best < <(summary "${single[@]}")
read -r magick_median magick_best < <(summary "${magick[@]}")
read -r floor_median floor_best < <(summary "${floor[@]}")
mp=$(megapixels "$photo")

echo "Photograph: $photo ($(identify -ping -format '%w x %h' "$photo" 2>/dev/null || echo '?'), $mp megapixels), to 800 x 600, quality 100"
echo "Wall time, median (best) of $rounds runs:"
printf '  vorpane PrepareImage, spare thread  %s s (%s s)\n' "$ours_median" "$ours_best"
printf '  vorpane PrepareImage, one thread    %s s (%s s)\n' "$single_median" "$single_best"
printf '  convert -filter Lanczos -resize     %s s (%s s)\n' "$magick_median" "$magick_best"
printf '  djpeg -outfile /dev/null            %s s (%s s)\n' "$floor_median" "$floor_best"
echo "Ratios (medians):"
echo "  vorpane / djpeg    $(ratio "$ours_median" "$floor_median") spare thread, $(ratio "$single_median" "$floor_median") one thread   (goal <= 1.3, moonshot <= 1.15)"
echo "  vorpane / convert  $(ratio "$ours_median" "$magick_median") spare thread, $(ratio "$single_median" "$magick_median") one thread"
echo "Per megapixel (medians): vorpane $(per_megapixel "$ours_median" "$mp") ms spare thread, $(per_megapixel "$single_median" "$mp") ms one thread; convert $(per_megapixel "$magick_median" "$mp") ms; djpeg $(per_megapixel "$floor_median" "$mp") ms"

peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }
echo "Peak memory (maximum resident set, /usr/bin/time):"
echo "  vorpane  $(($(peak "$bench" --runs 0 --spare-thread "$photo" "$out/ours.jpg" 800 600 100) / 1024)) MiB spare thread, $(($(peak "$bench" --runs 0 "$photo" "$out/ours.jpg" 800 600 100) / 1024)) MiB one thread"
echo "  convert  $(($(peak "$convert" "$photo" -filter Lanczos -resize '800x600!' -quality 100 "$out/magick.jpg") / 1024)) MiB"

# In-process phase times; the resampler's is what the drains are part of.
phase() { # phase-name program options...
  local name=$1
  shift
  "$@" "$photo" "$out/phase.jpg" 800 600 100 | awk -v n="$name" '$1 == n { print $2 * 1e6 }'
}
with=() without=() hooked=()
for ((round = 0; round < rounds; round++)); do
  with+=("$(phase resample "$bench" --runs 3)")
  without+=("$(phase resample "${bench}_nodrain" --runs 3)")
  hooked+=("$(phase resample "$bench" --runs 3 --hook)")
done
read -r with_median with_best < <(summary "${with[@]}")
read -r without_median without_best < <(summary "${without[@]}")
read -r hooked_median hooked_best < <(summary "${hooked[@]}")
share() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%+.1f %%", (a - b) / b * 100 }'; }
echo "Resampler alone (4032 x 3024 to 800 x 600, Lanczos3), median (best) of $rounds x best of 3:"
printf '  with drains, no hook         %s s (%s s)\n' "$with_median" "$with_best"
printf '  with drains, idle hook       %s s (%s s)\n' "$hooked_median" "$hooked_best"
printf '  drains compiled out          %s s (%s s)\n' "$without_median" "$without_best"
echo "  drain cost: $(share "$with_median" "$without_median") without a hook, $(share "$hooked_median" "$without_median") with an idle hook (goal < 5 %; best runs: $(share "$with_best" "$without_best"))"
load_now
