#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# stampwell-cli ends its office processes on SIGTERM, SIGHUP and a second SIGINT: no
# soffice.bin outlives it, their profile folders are gone, and nothing of the run's work
# stays beside the documents.
set -uo pipefail
bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home
mkdir -p "$HOME" "$work/prog" "$work/src"
cp "$bin/stampwell-cli" "$work/prog/"
for i in $(seq -w 1 40); do cp "$bin/Sample.doc" "$work/src/doc$i.doc"; done
fail=0

# One run per case: the signals to send once the office is up, and what the log must hold.
run_case() {
  local name=$1; shift
  rm -rf "$work/dst"
  printf '[BasicInfo]\r\nName=%s\r\nDoc=1\r\nOtherFiles=0\r\n[0]\r\nType=1\r\nSource=%s\r\nDest=%s\r\n' \
    "$name" "$work/src" "$work/dst" > "$work/prog/sw$name.ini"
  "$work/prog/stampwell-cli" run "$name" > "$work/$name.out" 2>&1 &
  local cli=$!
  local office=""
  for _ in $(seq 1 600); do
    office=$(pgrep -P "$cli" soffice.bin | head -1)
    [ -n "$office" ] && [ -n "$(ls "$work/dst" 2>/dev/null)" ] && break
    sleep 0.1
  done
  if [ -z "$office" ]; then echo "$name: no office process came up"; kill -9 "$cli"; fail=1; return; fi
  local profile
  profile=$(tr '\0' '\n' < "/proc/$office/cmdline" | sed -n 's#^-env:UserInstallation=file://##p')
  for sig in "$@"; do kill -s "$sig" "$cli"; sleep 0.05; done
  local status=0
  for _ in $(seq 1 600); do kill -0 "$cli" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$cli" 2>/dev/null; then echo "$name: stampwell-cli did not end"; kill -9 "$cli"; fail=1; fi
  wait "$cli"; status=$?
  [ "$status" = 130 ] || { echo "$name: exit status $status, expected 130"; cat "$work/$name.out"; fail=1; }
  sleep 0.5
  if kill -0 "$office" 2>/dev/null; then echo "$name: soffice.bin $office outlived stampwell-cli"; kill -9 "$office"; fail=1; fi
  [ -n "$profile" ] && [ -e "$profile" ] && { echo "$name: profile folder $profile left behind"; fail=1; }
  local traces
  traces=$(find "$work/src" "$work/dst" -name '.~*' 2>/dev/null)
  [ -z "$traces" ] || { echo "$name: traces left: $traces"; fail=1; }
  echo "$name: ended with $status; office $office gone"
}

# However the run was stopped, its log ends with one stop line and the closing lines.
check_log_end() {
  local name=$1 log="$work/prog/sw$1.log"
  local stops
  stops=$(grep -c "Job Terminated by User" "$log")
  [ "$stops" = 1 ] || { echo "$name: $stops stop lines"; fail=1; }
  local tail
  tail=$(tail -n 3 "$log" | tr -d '\r' | cut -d' ' -f3-)
  local want
  want=$(printf 'Job Terminated by User\nJob End\n----------------------------------------------')
  [ "$tail" = "$want" ] || { echo "$name: the log ends with:"; tail -n 5 "$log"; fail=1; }
}

run_case Term TERM
check_log_end Term
run_case Hup HUP
check_log_end Hup
run_case Int INT
check_log_end Int
run_case IntInt INT INT
check_log_end IntInt
exit $fail
