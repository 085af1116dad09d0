# Helpers shared by the benchmark scripts: timing, peak memory, the corpus.

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
corpus=${VORPANE_CORPUS:-$root/../shared/corpus}
convert_bin=${VORPANE_CONVERT:-$root/build/cli/vorpane-convert}
runs=${RUNS:-5}

[ -d "$corpus" ] || { echo "no corpus at $corpus (set VORPANE_CORPUS)" >&2; exit 1; }
[ -x "$convert_bin" ] || { echo "build first: $convert_bin is missing" >&2; exit 1; }

# best_time CMD...: the shortest wall time of $runs runs, in seconds.
best_time() {
  local best="" start end t
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    end=$(date +%s%N)
    t=$(( end - start ))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  awk -v ns="$best" 'BEGIN { printf "%.3f", ns / 1e9 }'
}

# peak_mb CMD...: the peak resident memory of one run, in MB.
peak_mb() {
  /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -n 1 | awk '{ printf "%.1f", $1 / 1024 }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
