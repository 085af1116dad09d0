#!/usr/bin/env bash
# Has qpdf --check read every PDF in a folder (the sample fuzz_write_pdf
# saves); prints how many passed and names each that did not.
#
# qpdf also decodes every stream. The writer embeds JPEG data unchanged, and
# the fuzzer damages it, so a warning that an image's data doesn't decode is
# the input's and is counted apart; any other warning or error fails.
set -uo pipefail
folder=${1:?usage: check_pdfs.sh FOLDER}
checked=0
bad=0
damaged=0
for pdf in "$folder"/*.pdf; do
  [ -e "$pdf" ] || continue
  checked=$((checked + 1))
  out=$(qpdf --check "$pdf" 2>&1)
  status=$?
  others=$(grep WARNING <<<"$out" | grep -v -e 'error decoding stream data for object' \
    -e 'stream will be re-processed without filtering')
  if [ $status -eq 3 ] && [ -z "$others" ]; then
    damaged=$((damaged + 1))
  elif [ $status -ne 0 ] || ! grep -q "No syntax or stream encoding errors" <<<"$out"; then
    bad=$((bad + 1))
    echo "qpdf --check fails on $pdf (status $status):" >&2
    echo "$out" | head -5 >&2
  fi
done
echo "qpdf --check: $((checked - bad)) of $checked sampled documents pass" \
  "($damaged with image data that doesn't decode, embedded as given)"
[ "$checked" -gt 0 ] && [ "$bad" -eq 0 ]
