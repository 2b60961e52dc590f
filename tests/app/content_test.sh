#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A stamp through the LibreOffice path adds the mark and takes nothing that LibreOffice itself
# keeps: a few real files (headers beside the mark, first and even headers, macros, comments,
# embedded objects, notes) are stamped by stampwell-cli and compared, as LibreOffice reads
# them, with their sources and with the same files saved by LibreOffice without a mark. A .ppt
# or .xls must keep everything, also what a plain LibreOffice save loses (date fields of
# masters, colour codes of headers, alternative texts): its marks are spliced into the source. The job verifies every file it saves: the mark
# must show on every page of the file written, spliced or not.
# Usage: content_test.sh SOURCE_DIR BIN_DIR
set -u
SRC=$1; BIN=$2
WORK=$(mktemp -d); trap 'rm -rf "$WORK"' EXIT
FILES="doc/poi__ThreeColHeadFoot.doc doc/wordx__test04.doc doc/wordx__test10.doc
  doc/poi__au.edu.utas.www___data_assets_word_doc_0003_154335_International-Travel-Approval-Request-Form.doc
  xls/poi__45538_form_Footer.xls xls/poi__AmpersandHeader.xls
  ppt/poi__WithComments.ppt ppt/poi__ppt_with_embeded.ppt ppt/poi__headers_footers.ppt
  pptx/poi__51187.pptx"
KEEP_ALL="ppt xls" EXTRA=Verify=1 WORK=$WORK CORPUS=$SRC/tests/data/corpus CLI=$BIN/stampwell-cli \
  FILES=$FILES "$SRC/scripts/corpus/run_legacy.sh"
status=$?
if grep 'Error in ' "$WORK/run.err"; then status=1; fi
exit $status
