#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the demonstration documents and Sample.doc from their flat-ODF sources through
# LibreOffice: make-demo-docs.sh <source folder> <output bin folder>
set -euo pipefail
src=$1
bin=$2
soffice=/usr/lib/libreoffice/program/soffice
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert() {  # convert <format> <input> <output folder>
  "$soffice" --headless --invisible --norestore --nologo \
    "-env:UserInstallation=file://$work/profile" \
    --convert-to "$1" --outdir "$3" "$2" >/dev/null 2>&1
  local out="$3/$(basename "${2%.*}").$1"
  [ -s "$out" ] || { echo "make-demo-docs: could not make $out" >&2; exit 1; }
}
demo="$bin/demo/source"
mkdir -p "$demo/Finance"
convert doc "$src/report.fodt" "$demo"
convert xls "$src/figures.fods" "$demo/Finance"
convert ppt "$src/slides.fodp" "$demo/Finance"
cp "$src/notes.txt" "$demo/notes.txt"
convert doc "$src/sample.fodt" "$work"
cp "$work/sample.doc" "$bin/Sample.doc"
