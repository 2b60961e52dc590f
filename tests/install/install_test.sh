#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the installed program:
#   install_test.sh <build folder> <version> <app id>
# its files and nothing else; stampwell-cli runs from there and keeps its jobs in the user's
# data folder (XDG_DATA_HOME or ~/.local/share), writing nothing into the prefix; the
# desktop program starts; the desktop entry, the AppStream file and the manual pages pass
# their checkers; the shell completion offers the commands and the job names.
set -uo pipefail
. "$(dirname "$0")/common.sh" "$@"
prefix=$work/usr
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 \
  || { cat "$work/install.log"; echo "FAIL: cmake --install"; exit 1; }

# --- The files, and only those.
actual=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
if [ "$actual" != "$(expected_files "$id")" ]; then
  bad "installed files differ from the expected list:"
  diff <(expected_files "$id") <(echo "$actual")
fi
for s in "${icon_sizes[@]}"; do
  png=$prefix/share/icons/hicolor/${s}x${s}/apps/$id.png
  file -b "$png" | grep -q "PNG image data, $s x $s, 8-bit/color RGBA" \
    || bad "icon $png is not a $s x $s RGBA PNG: $(file -b "$png")"
done
[ -x "$prefix/bin/stampwell-cli" ] && [ -x "$prefix/bin/stampwell" ] || bad "programs not executable"

# --- stampwell-cli from the prefix, with a fresh home.
home=$work/home
mkdir -p "$home"
cli() { env -u XDG_DATA_HOME HOME="$home" "$prefix/bin/stampwell-cli" "$@"; }
snapshot() { (cd "$prefix" && find . -printf '%p %s %T@\n' | LC_ALL=C sort); }
before=$(snapshot)

out=$(cli --version 2>&1); rc=$?
[ $rc -eq 0 ] && [ "$out" = "stampwell-cli $version" ] || bad "--version gave rc $rc: $out"

jobs=$home/.local/share/stampwell
out=$(cli list 2>&1); rc=$?
[ $rc -eq 0 ] && [ -z "$out" ] || bad "list without jobs gave rc $rc: $out"
[ -d "$jobs" ] || bad "the jobs folder $jobs was not created"
[ "$(stat -c %a "$jobs")" = 700 ] || bad "the jobs folder is not private: $(stat -c %a "$jobs")"

profile() {  # profile <folder> <name>
  printf '%s\r\n' "[BasicInfo]" "Name=$2" "Doc=1" "PDF=1" "[DocInfo]" "DocWaterMarkStr=Draft" \
    "[0]" "Type=1" "Source=/in" "Dest=/out" > "$1/sw$2.ini"
}
profile "$jobs" Weekly
profile "$jobs" "Month end"
printf 'Job Begin\nJob End\n' > "$jobs/swWeekly.log"
out=$(cli list 2>&1); rc=$?
[ $rc -eq 0 ] || bad "list gave rc $rc: $out"
for name in Weekly "Month end"; do
  echo "$out" | grep -q "^$name	sw$name.ini	Doc=1 Xls=0 Ppt=0 PDF=1 OtherFiles=1 ModernFormats=0 PdfFiles=0	1 item$" \
    || bad "list does not show the job $name: $out"
done
out=$(cli history Weekly 2>&1); rc=$?
[ $rc -eq 0 ] && [ "$out" = $'Job Begin\nJob End' ] || bad "history Weekly gave rc $rc: $out"
cli --help 2>&1 | grep -qF "$jobs/" || bad "--help does not name the jobs folder $jobs/"

# XDG_DATA_HOME, when set to an absolute path, moves the jobs folder.
xdg=$work/xdg
mkdir -p "$xdg/stampwell"
profile "$xdg/stampwell" Elsewhere
out=$(env XDG_DATA_HOME="$xdg" HOME="$home" "$prefix/bin/stampwell-cli" list 2>&1)
[ "$(echo "$out" | cut -f1)" = Elsewhere ] || bad "list under XDG_DATA_HOME=$xdg: $out"
# A relative one is ignored.
out=$(cd "$work" && env XDG_DATA_HOME=xdg HOME="$home" "$prefix/bin/stampwell-cli" list 2>&1 | cut -f1 | sort | tr '\n' ,)
[ "$out" = "Month end,Weekly," ] || bad "a relative XDG_DATA_HOME was not ignored: $out"

# --- The desktop program starts from the prefix (offscreen) and keeps running.
env -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen timeout 5 "$prefix/bin/stampwell" \
  >"$work/gui.log" 2>&1
rc=$?
[ $rc -eq 124 ] || { cat "$work/gui.log"; bad "the desktop program ended with $rc instead of running"; }

[ "$(snapshot)" = "$before" ] || { bad "running the programs changed the prefix:"; diff <(echo "$before") <(snapshot); }

# --- Desktop entry, AppStream file, manual pages.
desktop-file-validate "$prefix/share/applications/$id.desktop" || bad "desktop-file-validate"
grep -qx "Icon=$id" "$prefix/share/applications/$id.desktop" || bad "the desktop entry names another icon"
grep -qx "Exec=stampwell" "$prefix/share/applications/$id.desktop" || bad "the desktop entry runs another program"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || bad "appstreamcli validate"
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml" \
  || bad "the AppStream release list lacks version $version"
for page in stampwell-cli stampwell; do
  text=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$prefix/share/man/man1/$page.1.gz" 2>"$work/man.err")
  [ ! -s "$work/man.err" ] || { cat "$work/man.err"; bad "man reports problems in $page.1"; }
  echo "$text" | grep -q "Stampwell $version" || bad "$page.1 does not carry version $version"
done
text=$(MANWIDTH=80 man -E UTF-8 -l "$prefix/share/man/man1/stampwell-cli.1.gz" 2>/dev/null)
for word in list run history --version "EXIT STATUS" XDG_DATA_HOME .local/share/stampwell; do
  echo "$text" | grep -qF -- "$word" || bad "stampwell-cli.1 does not mention $word"
done

# --- Shell completion, with the installed program on PATH.
complete_words() {  # complete_words <word>... : the completions for the last word
  env -u XDG_DATA_HOME HOME="$home" PATH="$prefix/bin:$PATH" bash -c '
    . "$0"
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
    _stampwell_cli
    printf "%s\n" "${COMPREPLY[@]}" | LC_ALL=C sort | tr "\n" ,' \
    "$prefix/share/bash-completion/completions/stampwell-cli" "$@"
}
[ "$(complete_words stampwell-cli "")" = "--help,--version,history,list,run," ] \
  || bad "commands: $(complete_words stampwell-cli "")"
[ "$(complete_words stampwell-cli h)" = "history," ] || bad "h: $(complete_words stampwell-cli h)"
[ "$(complete_words stampwell-cli run "")" = 'Month\ end,Weekly,' ] \
  || bad "run: $(complete_words stampwell-cli run "")"
[ "$(complete_words stampwell-cli history W)" = "Weekly," ] \
  || bad "history W: $(complete_words stampwell-cli history W)"
[ "$(complete_words stampwell-cli list "")" = "," ] || bad "list takes no names: $(complete_words stampwell-cli list "")"
env -u XDG_DATA_HOME HOME="$home" PATH="$prefix/bin:$PATH" bash -c \
  '. "$0"; complete -p stampwell-cli' "$prefix/share/bash-completion/completions/stampwell-cli" \
  | grep -q "_stampwell_cli" || bad "the completion is not registered for stampwell-cli"

[ $fail -eq 0 ] && echo "install test passed"
exit $fail
