#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A profile asking for 2147483647 workers, run under a memory limit: the run is cut to the
# most workers a run may have, says so in its log, starts only the workers its files need
# (256 threads with their stacks alone would pass the limit) and handles every file.
set -uo pipefail
bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home
mkdir -p "$HOME" "$work/prog" "$work/src"
cp "$bin/stampwell-cli" "$work/prog/"
for i in 1 2 3; do echo "file $i" > "$work/src/f$i.txt"; done
printf '[BasicInfo]\r\nName=Many\r\nDoc=0\r\nOtherFiles=1\r\nWorkers=2147483647\r\n[0]\r\nType=1\r\nSource=%s\r\nDest=%s\r\n' \
  "$work/src" "$work/dst" > "$work/prog/swMany.ini"
fail=0
( ulimit -v 1000000; exec "$work/prog/stampwell-cli" run Many ) > "$work/out" 2>&1
status=$?
[ "$status" = 0 ] || { echo "exit status $status"; cat "$work/out"; fail=1; }
for i in 1 2 3; do
  cmp -s "$work/src/f$i.txt" "$work/dst/f$i.txt" || { echo "f$i.txt not copied"; fail=1; }
done
grep -q "Workers=2147483647 is more than 256: the run has at most 256 workers" "$work/prog/swMany.log" \
  || { echo "no line about the cut in the log:"; cat "$work/prog/swMany.log"; fail=1; }
grep -q "Job End" "$work/prog/swMany.log" || { echo "the run did not end"; fail=1; }
exit $fail
