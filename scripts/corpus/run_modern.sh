#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Current-format corpus run: the .docx/.xlsx/.pptx files of CORPUS and OpenDocument copies
# made from them by LibreOffice, stamped (magenta, oblique, transparent), printed to PDF and
# restamped by stampwell-cli jobs in WORK. EXTRA: more [BasicInfo] lines for the jobs (for
# example "Verify=1"). Then: measure.py WORK PROBE, table.py WORK.
set -u
EXTRA=${EXTRA:-}
C=${WORK:-/tmp/stampwell-corpus}; CORPUS=${CORPUS:-../shared/corpus}; CLI=${CLI:-build/default/bin/stampwell-cli}
rm -rf $C/src $C/out $C/prog $C/home; mkdir -p $C/src $C/out $C/prog $C/home
export HOME=$C/home
for k in docx xlsx pptx; do mkdir -p $C/src/$k; cp $CORPUS/$k/* $C/src/$k/; done
# OpenDocument copies made from them by LibreOffice (no public ODF test files at hand).
for pair in docx:odt xlsx:ods pptx:odp; do
  from=${pair%%:*}; to=${pair##*:}; mkdir -p $C/src/$to
  for attempt in 1 2 3; do
    /usr/lib/libreoffice/program/soffice.bin --headless --norestore --nologo --nolockcheck \
      -env:UserInstallation=file://$C/convprof --convert-to $to --outdir $C/src/$to $C/src/$from/* >/dev/null 2>&1 && break
  done
done
cp "$CLI" $C/prog/

profile() { # name pdf dest
  {
    printf '%s\r\n' "[BasicInfo]" "Name=$1" "AutoRun=0" "Doc=1" "Xls=1" "Ppt=1" "PDF=$2" "OtherFiles=0" "EveryMinutes=100" "ModernFormats=1" $EXTRA \
      "[DocInfo]" "MaxFolder=0" "DocWaterMarkStr=CONFIDENTIAL" "DocFontName=DejaVu Sans" "DocWatermarkSize=60" \
      "DocWatermarkColor=\$00FF00FF" "Transparent=1" "HX=1"
    n=0; for k in docx odt xlsx ods pptx odp; do
      printf '%s\r\n' "[$n]" "Type=1" "Source=$4/$k" "Dest=$3/$k" "Comments="; n=$((n+1)); done
  } > $C/prog/sw$1.ini
}
rm -rf $C/src-Save $C/src-Pdf $C/setaside; cp -r $C/src $C/src-Save; cp -r $C/src $C/src-Pdf
profile Save 0 $C/out/save $C/src-Save
profile Pdf 1 $C/out/pdf $C/src-Pdf
profile Restamp 0 $C/out/restamp $C/out/save
# A file that fails is logged ("Error in <file>:...") and the run goes on; the CLI then exits 1.
runjob() {
  job=$1; start=$(date +%s)
  $C/prog/stampwell-cli run $job > $C/$job.out 2> $C/$job.err
  echo "$job: exit $?, $(grep -c 'Error in ' $C/$job.err) failed, $(( $(date +%s) - start )) s"
}
runjob Save; runjob Pdf; runjob Restamp
