#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Legacy-format corpus run: the .doc/.xls/.ppt files of CORPUS stamped (magenta, oblique,
# transparent) by stampwell-cli jobs in WORK: saved (job Save), printed to PDF (job Pdf) and
# the saved files stamped again (job Restamp). EXTRA: more [BasicInfo] lines for the jobs
# (for example "ActiveSheetOnly=1" or "Verify=1"). Then measure_pages.py WORK PROBE.
set -u
C=${WORK:-/tmp/stampwell-legacy}; CORPUS=${CORPUS:-/work/shared/corpus}; CLI=${CLI:-build/default/bin/stampwell-cli}
KINDS=${KINDS:-doc xls ppt}; EXTRA=${EXTRA:-}
rm -rf $C/src $C/out $C/prog $C/home; mkdir -p $C/src $C/out $C/prog $C/home
export HOME=$C/home
for k in $KINDS; do mkdir -p $C/src/$k; cp $CORPUS/$k/* $C/src/$k/; chmod u+w $C/src/$k/*; done
cp "$CLI" $C/prog/
profile() { # name pdf dest src
  {
    printf '%s\r\n' "[BasicInfo]" "Name=$1" "AutoRun=0" "Doc=1" "Xls=1" "Ppt=1" "PDF=$2" "OtherFiles=0" "EveryMinutes=100" $EXTRA \
      "[DocInfo]" "MaxFolder=0" "DocWaterMarkStr=CONFIDENTIAL" "DocFontName=DejaVu Sans" "DocWatermarkSize=60" \
      "DocWatermarkColor=\$00FF00FF" "Transparent=1" "HX=1"
    n=0; for k in $KINDS; do
      printf '%s\r\n' "[$n]" "Type=1" "Source=$4/$k" "Dest=$3/$k" "Comments="; n=$((n+1)); done
  } > $C/prog/sw$1.ini
}
rm -rf $C/src-Save $C/src-Pdf; cp -r $C/src $C/src-Save; cp -r $C/src $C/src-Pdf
profile Save 0 $C/out/save $C/src-Save
profile Pdf 1 $C/out/pdf $C/src-Pdf
profile Restamp 0 $C/out/restamp $C/out/save
runjob() {
  job=$1; start=$(date +%s)
  $C/prog/stampwell-cli run $job > $C/$job.out 2> $C/$job.err
  echo "$job: exit $?, $(grep -c 'Error in ' $C/$job.err) failed, $(( $(date +%s) - start )) s"
}
for j in ${JOBS:-Save Pdf Restamp}; do runjob $j; done
