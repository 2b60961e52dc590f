#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Demonstration without a desktop: two jobs over the sample documents that the build made
# (a .doc, an .xls, a .ppt and a text file in a small tree), run with stampwell-cli.
#   scripts/demo.sh [bin folder]      (default: build/default/bin)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$here/build/default/bin}" && pwd)
cli="$bin/stampwell-cli"
source_dir="$bin/demo/source"
stamped="$bin/demo/stamped"
pdf="$bin/demo/pdf"
[ -x "$cli" ] || { echo "demo: $cli is missing; build first" >&2; exit 1; }
[ -f "$source_dir/report.doc" ] || { echo "demo: the sample documents are missing in $source_dir" >&2; exit 1; }

# A job skips destinations that exist already: start from empty destination folders.
rm -rf "$stamped" "$pdf"

profile() {  # profile <name> <PDF 0|1> <destination>
  printf '%s\r\n' "[BasicInfo]" "Name=$1" "AutoRun=0" "Doc=1" "Xls=1" "Ppt=1" "PDF=$2" \
    "OtherFiles=1" "EveryMinutes=100" "[DocInfo]" "MaxFolder=0" \
    "DocWaterMarkStr=STAMPWELL DEMO" "DocFontName=DejaVu Sans" "DocWatermarkSize=48" \
    "DocWatermarkColor=clRed" "Transparent=1" "HX=1" \
    "[0]" "Type=1" "Source=$source_dir" "Dest=$3" "Comments=demonstration" \
    > "$bin/sw$1.ini"
}
profile Demo 0 "$stamped"
profile DemoPDF 1 "$pdf"

echo "== Stamping the sample documents (job Demo)"
"$cli" run Demo
echo
echo "== Stamping and printing them to PDF (job DemoPDF)"
"$cli" run DemoPDF
echo
echo "Sources:          $source_dir"
echo "Stamped copies:   $stamped"
find "$stamped" -type f | sed 's/^/  /'
echo "PDF files:        $pdf"
find "$pdf" -type f | sed 's/^/  /'
echo "Logs:             $bin/swDemo.log, $bin/swDemoPDF.log (stampwell-cli history Demo)"
