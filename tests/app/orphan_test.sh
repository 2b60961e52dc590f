#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# stampwell-cli killed with SIGKILL in the middle of a run: no office process of it lives on,
# and the next run removes what the killed one left (its office profile folder and its
# office's pipe).
set -uo pipefail
bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home
export TMPDIR=$work/tmp
mkdir -p "$HOME" "$TMPDIR" "$work/prog" "$work/src"
cp "$bin/stampwell-cli" "$work/prog/"
for i in $(seq -w 1 40); do cp "$bin/Sample.doc" "$work/src/doc$i.doc"; done
printf '[BasicInfo]\r\nName=Killed\r\nDoc=1\r\nOtherFiles=0\r\n[0]\r\nType=1\r\nSource=%s\r\nDest=%s\r\n' \
  "$work/src" "$work/dst" > "$work/prog/swKilled.ini"
fail=0

# Gone, or a zombie that nothing reaps (the office's parent is gone).
gone() { local s; s=$(ps -o stat= -p "$1" 2>/dev/null) || return 0; [[ "$s" == Z* ]]; }

"$work/prog/stampwell-cli" run Killed > "$work/run1.out" 2>&1 &
cli=$!
office=""
for _ in $(seq 1 600); do
  office=$(pgrep -P "$cli" soffice.bin | head -1)
  [ -n "$office" ] && [ -n "$(ls "$work/dst" 2>/dev/null)" ] && break
  sleep 0.1
done
if [ -z "$office" ]; then echo "no office process came up"; kill -9 "$cli"; exit 1; fi
profile=$(tr '\0' '\n' < "/proc/$office/cmdline" | sed -n 's#^-env:UserInstallation=file://##p')
pipe=$(tr '\0' '\n' < "/proc/$office/cmdline" | sed -n 's#^--accept=pipe,name=\([^;]*\);.*#\1#p')
socket=/tmp/OSL_PIPE_$(id -u)_$pipe
[ -S "$socket" ] || { echo "the office's pipe $socket was not found"; fail=1; }
kill -9 "$cli"
wait "$cli" 2>/dev/null
for _ in $(seq 1 50); do gone "$office" && break; sleep 0.1; done
if ! gone "$office"; then echo "soffice.bin $office outlived stampwell-cli"; kill -9 "$office"; fail=1; fi
echo "killed stampwell-cli $cli; office $office: $(gone "$office" && echo gone || echo running)"
[ -d "$profile" ] && echo "left behind: $profile"
[ -S "$socket" ] && echo "left behind: $socket"

# The next run (of another job, on nothing) starts an office and removes the leftovers.
mkdir -p "$work/src2"
cp "$bin/Sample.doc" "$work/src2/one.doc"
printf '[BasicInfo]\r\nName=Next\r\nDoc=1\r\nOtherFiles=0\r\n[0]\r\nType=1\r\nSource=%s\r\nDest=%s\r\n' \
  "$work/src2" "$work/dst2" > "$work/prog/swNext.ini"
"$work/prog/stampwell-cli" run Next > "$work/run2.out" 2>&1 || { echo "the next run failed"; cat "$work/run2.out"; fail=1; }
[ -e "$profile" ] && { echo "the next run left $profile"; fail=1; }
[ -e "$socket" ] && { echo "the next run left $socket"; rm -f "$socket"; fail=1; }
left=$(ls "$TMPDIR")
[ -z "$left" ] || { echo "left in the temporary folder: $left"; fail=1; }
exit $fail
