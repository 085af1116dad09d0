#!/usr/bin/env bash
# Runs the fuzz targets built in build-fuzz (./build.sh fuzz builds them).
#
#   fuzz/run.sh [--seconds S] [--nice] [TARGET...]
#
# Each target runs for S seconds (default 14) on one core, from a corpus in
# build-fuzz/corpus/TARGET seeded with the small files of tests/data and
# fuzz/seeds/TARGET. Findings go to build-fuzz/findings/TARGET/, libFuzzer's
# output to build-fuzz/logs/TARGET.log, whose last lines (executions, cov,
# ft) are printed. The documents fuzz_write_pdf completes are sampled into
# build-fuzz/pdfs and read by qpdf --check afterwards (fuzz/check_pdfs.sh).
# Exits 1 when a target found something or a document fails the check.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=14
nice=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --nice) nice=(nice -n 19); shift ;;
    *) break ;;
  esac
done
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_read_jpeg_info fuzz_load_picture fuzz_resample fuzz_write_pdf)

build=build-fuzz
# The engine's files go to a RAM disk where there is one: the run syncs its
# output, which on a real disk would cost more than the work fuzzed.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=0
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  findings=$build/findings/$target
  log=$build/logs/$target.log
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  options=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$findings/")
  case "$target" in
    fuzz_read_jpeg_info)
      # Past the reader's 16 KiB window.
      options+=(-max_len=40000) ;;
    fuzz_load_picture)
      # The largest picture the limit admits takes seconds to decode.
      options+=(-max_len=40000 -timeout=60 -rss_limit_mb=2048) ;;
    fuzz_resample)
      options+=(-max_len=13000) ;;
    fuzz_write_pdf)
      options+=(-max_len=8192)
      rm -rf "$build/pdfs"
      mkdir -p "$build/pdfs"
      export VORPANE_FUZZ_PDF_DIR=$PWD/$build/pdfs ;;
  esac
  if [ "$target" = fuzz_read_jpeg_info ] || [ "$target" = fuzz_load_picture ]; then
    find tests/data -name '*.jpg' -size -40k -exec cp -n {} "$corpus/" \;
  fi
  [ -d "fuzz/seeds/$target" ] && cp -n "fuzz/seeds/$target"/* "$corpus/"
  echo "== $target, $seconds s"
  if ! "${nice[@]}" "$build/$target" "${options[@]}" "$corpus" >"$log" 2>&1; then
    echo "FINDING in $target: see $log and $findings" >&2
    failed=1
  fi
  grep -E '^#[0-9]+.*(DONE|pulse|NEW|REDUCE)' "$log" | tail -1 || true
  grep -E '^stat::' "$log" || true
  if [ "$target" = fuzz_write_pdf ]; then
    fuzz/check_pdfs.sh "$build/pdfs" || failed=1
  fi
done
exit $failed
