#!/usr/bin/env bash
# Has qpdf --check read every PDF in a folder (the sample fuzz_write_pdf
# saves); prints how many passed and names each that did not.
set -uo pipefail
folder=${1:?usage: check_pdfs.sh FOLDER}
checked=0
bad=0
for pdf in "$folder"/*.pdf; do
  [ -e "$pdf" ] || continue
  checked=$((checked + 1))
  if ! out=$(qpdf --check "$pdf" 2>&1) || ! grep -q "No syntax or stream encoding errors" <<<"$out"; then
    bad=$((bad + 1))
    echo "qpdf --check fails on $pdf:" >&2
    echo "$out" | head -5 >&2
  fi
done
echo "qpdf --check: $((checked - bad)) of $checked sampled documents pass"
[ "$checked" -gt 0 ] && [ "$bad" -eq 0 ]
