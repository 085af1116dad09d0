#!/usr/bin/env bash
# --max-size: what finding the quality costs. 20 photographs of 12 to 18
# megapixels, --fit 1600x1600 under a limit that no quality above the
# middle meets, against one run at the quality it chose (the time a person
# who knew the quality would spend). Prints both times, the extra time and
# its ratio, the peak memory of both, the machine and its load, and checks
# that both runs wrote the same PDF.
set -euo pipefail
source "$(dirname "$0")/common.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
album_of_twenty "$work"
limit=${LIMIT:-6MB}
runs=${RUNS:-3}
machine
limited() {
  "$convert_bin" -q --fit 1600x1600 --max-size "$limit" -o "$work/limited.pdf" "${list[@]}"
}
t_limited=$(best_time limited)
# The quality it chose: the one whose single run gives the same bytes.
quality=$(script -qc "'$convert_bin' --fit 1600x1600 --max-size $limit -o '$work/q.pdf' ${list[*]}" /dev/null |
  tr '\r' '\n' | sed -n 's/.*, quality \([0-9]*\).*/\1/p' | tail -1)
single() {
  "$convert_bin" -q --fit 1600x1600 --quality "$quality" -o "$work/single.pdf" "${list[@]}"
}
t_single=$(best_time single)
cmp -s "$work/limited.pdf" "$work/single.pdf" || { echo "--max-size and --quality $quality wrote different PDFs" >&2; exit 1; }
m_limited=$(peak_mb "$convert_bin" -q --fit 1600x1600 --max-size "$limit" -o "$work/m.pdf" "${list[@]}")
m_single=$(peak_mb "$convert_bin" -q --fit 1600x1600 --quality "$quality" -o "$work/m.pdf" "${list[@]}")
echo "20 photographs of 12 to 18 megapixels, --fit 1600x1600, best of $runs runs"
printf '  --max-size %-6s (chose quality %s) %6ss   peak memory %s MB\n' "$limit" "$quality" "$t_limited" "$m_limited"
printf '  --quality %-3s                       %6ss   peak memory %s MB\n' "$quality" "$t_single" "$m_single"
printf '  extra time %.2fs, --max-size / single run = %s\n' \
  "$(awk -v a="$t_limited" -v b="$t_single" 'BEGIN { print a - b }')" "$(ratio "$t_limited" "$t_single")"
load_now
