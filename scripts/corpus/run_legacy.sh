#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the LibreOffice path keeps: the .doc/.xls/.ppt files of CORPUS, and OpenDocument copies
# made by LibreOffice from its .docx/.xlsx/.pptx files, stamped by one stampwell-cli job into
# WORK/out, then compared with their sources as LibreOffice reads them (content.py).
# Usage: [WORK=...] [CORPUS=...] [CLI=...] [FILES="doc/a.doc xls/b.xls ..."] [EXTRA=...] run_legacy.sh
# FILES limits the run to those files of CORPUS (kinds doc, xls, ppt, docx, xlsx, pptx; the
# current-format ones are taken as their OpenDocument copies). EXTRA: more [BasicInfo] lines
# for the job ("Verify=1"). Exit status: content.py's.
set -u
C=${WORK:-/tmp/stampwell-legacy}; CORPUS=${CORPUS:-../shared/corpus}
CLI=${CLI:-build/default/bin/stampwell-cli}
HERE=$(cd "$(dirname "$0")" && pwd)
MARK=ZqxMarkText
rm -rf "$C/src" "$C/out" "$C/prog" "$C/home" "$C/flat"
mkdir -p "$C/src" "$C/out" "$C/prog" "$C/home"
export HOME=$C/home
FILES=${FILES:-$(cd "$CORPUS" && ls -d doc/* xls/* ppt/* docx/* xlsx/* pptx/*)}
for k in doc xls ppt odt ods odp; do mkdir -p "$C/src/$k"; done
for f in $FILES; do
  case $f in doc/*|xls/*|ppt/*) cp "$CORPUS/$f" "$C/src/${f%%/*}/" ;; esac
done
for pair in docx:odt xlsx:ods pptx:odp; do
  from=${pair%%:*}; to=${pair##*:}
  for f in $FILES; do
    case $f in $from/*) ;; *) continue ;; esac
    f=$CORPUS/$f
    soffice --headless --norestore --nolockcheck -env:UserInstallation="file://$C/convprof" \
      --convert-to "$to" --outdir "$C/src/$to" "$f" >/dev/null 2>&1
  done
done
cp "$CLI" "$C/prog/"
{
  printf '%s\r\n' "[BasicInfo]" "Name=Legacy" "AutoRun=0" "Doc=1" "Xls=1" "Ppt=1" "PDF=0" \
    "OtherFiles=0" "EveryMinutes=100" "ModernFormats=1" ${EXTRA:-} \
    "[DocInfo]" "MaxFolder=0" "DocWaterMarkStr=$MARK" "DocFontName=DejaVu Sans" \
    "DocWatermarkSize=60" "DocWatermarkColor=\$00FF00FF" "Transparent=1" "HX=1"
  n=0
  for k in doc xls ppt odt ods odp; do
    printf '%s\r\n' "[$n]" "Type=1" "Source=$C/src/$k" "Dest=$C/out/$k" "Comments="; n=$((n+1))
  done
} > "$C/prog/swLegacy.ini"
start=$(date +%s)
"$C/prog/stampwell-cli" run Legacy > "$C/run.out" 2> "$C/run.err"
echo "stamp run: exit $?, $(grep -c 'Error in ' "$C/run.err") failed, $(( $(date +%s) - start )) s"
# The same sources opened and saved by LibreOffice with no mark, in the filter the job uses:
# what these lose too is the export's doing.
rm -rf "$C/rt"
for pair in "doc:doc:MS Word 97" "xls:xls:MS Excel 97" "ppt:ppt:MS PowerPoint 97" odt:odt ods:ods odp:odp; do
  IFS=: read -r k ext filter <<< "$pair"
  mkdir -p "$C/rt/$k"
  for f in "$C/src/$k"/*; do
    [ -e "$f" ] || continue
    soffice --headless --norestore --nolockcheck -env:UserInstallation="file://$C/convprof" \
      --convert-to "$ext${filter:+:$filter}" --outdir "$C/rt/$k" "$f" >/dev/null 2>&1
  done
done
exec /usr/bin/python3 "$HERE/content.py" "$C" "$MARK"
