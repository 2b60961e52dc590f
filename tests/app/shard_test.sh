#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A job split into shards, each run by a separate stampwell-cli process at the same time (the
# shard index given on the command line or taken from the Kubernetes or Slurm environment):
# together the shards write exactly what one whole run writes, each file once, and each
# shard keeps its own log. A copy job, so no office is needed.
set -euo pipefail
bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A program folder of its own: run from here, stampwell-cli keeps its jobs beside itself.
mkdir -p "$work/prog"
cp "$bin/stampwell-cli" "$work/prog/"
cli="$work/prog/stampwell-cli"

src="$work/src"
for d in "" a a/b c "with space" ; do
  mkdir -p "$src/$d"
  for i in $(seq 1 12); do
    printf 'file %s %s\n' "$d" "$i" > "$src/$d/f$i.txt"
    printf 'doc %s %s\n' "$d" "$i" > "$src/$d/r$i.doc"
  done
done
mkdir -p "$src/empty"
printf 'lock\n' > "$src/a/~\$r1.doc"

job() {  # name dest
  cat > "$work/prog/sw$1.ini" <<INI
[BasicInfo]
Name=$1
Doc=0
Xls=0
Ppt=0
PDF=0
OtherFiles=1
[0]
Type=1
Source=$src
Dest=$2
INI
}
job Whole "$work/whole"
job Split "$work/split"
mkdir -p "$work/whole" "$work/split"

"$cli" run Whole > "$work/whole.out"
[ -f "$work/prog/swWhole.log" ] || { echo "no log of the whole run"; exit 1; }

# Three shards at once, the index each in its own way.
"$cli" run Split --shard 0/3 > "$work/s0.out" 2>&1 &
p0=$!
JOB_COMPLETION_INDEX=1 "$cli" run Split --shard auto/3 --workers 2 > "$work/s1.out" 2>&1 &
p1=$!
SLURM_ARRAY_TASK_ID=3 SLURM_ARRAY_TASK_MIN=1 "$cli" run Split --shard auto/3 > "$work/s2.out" 2>&1 &
p2=$!
fail=0
for p in $p0 $p1 $p2; do wait "$p" || { echo "a shard failed"; fail=1; }; done
[ $fail = 0 ] || cat "$work"/s*.out

diff -r "$work/whole" "$work/split" || { echo "the shards together differ from one run"; fail=1; }
for k in 0 1 2; do
  log="$work/prog/swSplit.shard-$k.log"
  [ -f "$log" ] || { echo "no log for shard $k"; fail=1; continue; }
  grep -q "Job End" "$log" || { echo "shard $k log has no Job End"; fail=1; }
done
# The job's log carries the job's lock, which the shards share: they leave it empty.
[ ! -s "$work/prog/swSplit.log" ] || { echo "a shard wrote the whole job's log"; fail=1; }
# Each file once: the copy lines of all shards name every file of the whole run exactly once.
copied() { grep -h "copy file:" "$@" | sed 's/^.\{20\}copy file://; s/ to:.*//' | tr -d '\r' | sort; }
copied "$work"/prog/swSplit.shard-*.log > "$work/split.list"
copied "$work/prog/swWhole.log" > "$work/whole.list"
[ -s "$work/whole.list" ] || { echo "the whole run copied nothing"; fail=1; }
if [ -n "$(uniq -d "$work/split.list")" ]; then echo "a file was copied by two shards"; fail=1; fi
cmp -s "$work/split.list" "$work/whole.list" || { echo "the shards did not copy what the whole run did"; fail=1; }
# Every shard had work to do (a stable hash spreads 60-odd files over three shards).
for k in 0 1 2; do
  grep -q "copy file:" "$work/prog/swSplit.shard-$k.log" || { echo "shard $k copied nothing"; fail=1; }
done
exit $fail
