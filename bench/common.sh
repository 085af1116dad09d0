# Helpers shared by the benchmark scripts: building what they run, the
# machine and its load, timing, peak memory, ratios, the corpus.
#
# Every script sources this file first; it goes to the repository's root.

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
cd "$root"
corpus=${VORPANE_CORPUS:-$root/../shared/corpus}
runs=${RUNS:-5}

[ -d "$corpus" ] || { echo "no corpus at $corpus (set VORPANE_CORPUS)" >&2; exit 1; }

# build_targets TARGET...: builds the targets in build/ (configured first
# when it isn't): the benchmark programs are not part of the default build.
build_targets() {
  [ -f build/CMakeCache.txt ] || cmake -S . -B build -G Ninja >/dev/null
  cmake --build build --target "$@" >/dev/null
}

# The converter the scripts time: VORPANE_CONVERT, or the build's own.
if [ -n "${VORPANE_CONVERT:-}" ]; then
  convert_bin=$VORPANE_CONVERT
else
  build_targets vorpane-convert
  convert_bin=$root/build/cli/vorpane-convert
fi
[ -x "$convert_bin" ] || { echo "no converter at $convert_bin" >&2; exit 1; }

# machine: one line with the processors and the load, which every figure
# depends on.
machine() {
  echo "Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p'); $(uptime | sed 's/.*load/load/')"
}

# load_now: the load average, for the end of a script.
load_now() {
  echo "Load at the end: $(uptime | sed 's/.*load/load/')"
}

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

# ratio A B [FORMAT]: A / B, with two decimals unless FORMAT says otherwise.
ratio() { awk -v a="$1" -v b="$2" -v f="${3:-%.2f}" 'BEGIN { printf f, a / b }'; }

# megapixels FILE...: the pixels of the pictures together, in millions.
megapixels() {
  identify -ping -format '%w %h\n' "$@" 2>/dev/null | awk '{ p += $1 * $2 } END { printf "%.2f", p / 1e6 }'
}

# per_megapixel SECONDS MEGAPIXELS: milliseconds per megapixel.
per_megapixel() { awk -v s="$1" -v m="$2" 'BEGIN { printf "%.1f", s * 1000 / m }'; }

# album_of_twenty DIR: twenty large photographs of the corpus (four
# cameras' pictures, each five times) copied into DIR, their paths in list.
album_of_twenty() {
  local photos=(photo_42_IndexError_4032x3024.jpg photo_Dragonfly_4224x3168_prog.jpg
    photo_seeding_5312x2988_prog.jpg art_Elephants_5640x3172_prog.jpg)
  list=()
  for i in $(seq 0 19); do
    cp "$corpus/${photos[$((i % ${#photos[@]}))]}" "$1/$i.jpg"
    list+=("$1/$i.jpg")
  done
}
