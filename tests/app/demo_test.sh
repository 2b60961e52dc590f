#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end: the command-line demonstration stamps and prints the sample documents through
# LibreOffice. Runs with a private HOME so that the PDF printer's folder is a scratch one.
set -euo pipefail
root=$1
bin=$2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home
out=$("$root/scripts/demo.sh" "$bin" 2>&1) || { echo "$out"; echo "demo.sh failed"; exit 1; }
echo "$out"
fail=0
for f in report.doc Finance/figures.xls Finance/slides.ppt notes.txt; do
  [ -s "$bin/demo/stamped/$f" ] || { echo "missing stamped file $f"; fail=1; }
done
for f in report.pdf Finance/figures.pdf Finance/slides.pdf notes.txt; do
  [ -s "$bin/demo/pdf/$f" ] || { echo "missing PDF-job output $f"; fail=1; }
done
cmp -s "$bin/demo/source/notes.txt" "$bin/demo/stamped/notes.txt" || { echo "notes.txt not copied byte for byte"; fail=1; }
if [ -s "$bin/demo/pdf/report.pdf" ]; then
  # The watermark is drawn as outlines, which carry no text: look for its red (half
  # transparent on white) among the black text of the first page instead.
  ppm="$home/report"
  pdftoppm -r 30 -singlefile -f 1 -l 1 "$bin/demo/pdf/report.pdf" "$ppm"
  red=$(od -An -v -tu1 "$ppm.ppm" | awk '{
      for (i = 1; i <= NF; i++) {
        if (nl < 3) { if ($i == 10) nl++; continue }  # the header: P6, size, depth
        c[k % 3] = $i; k++
        if (k % 3 == 0 && c[0] > 180 && c[0] - c[1] > 50 && c[0] - c[2] > 50) red++
      }
    } END { print red + 0 }')
  [ "$red" -gt 100 ] || { echo "report.pdf shows no red watermark ($red red pixels)"; fail=1; }
fi
grep -q "Job End" "$bin/swDemo.log" || { echo "swDemo.log has no Job End"; fail=1; }
exit $fail
