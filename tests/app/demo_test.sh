#!/usr/bin/env bash
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
  # The oblique watermark comes out of pdftotext in fragments: compare without white space.
  pdftotext "$bin/demo/pdf/report.pdf" - | tr -d ' \n\f' | grep -q "STAMPWELLDEMO" || { echo "report.pdf lacks the watermark text"; fail=1; }
fi
grep -q "Job End" "$bin/swDemo.log" || { echo "swDemo.log has no Job End"; fail=1; }
exit $fail
