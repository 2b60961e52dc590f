#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a temporary prefix and checks the installed program:
#   install_test.sh <build folder> <version> <app id>
# its files and nothing else; stampwell-cli runs from there and keeps its jobs in the user's
# data folder (XDG_DATA_HOME or ~/.local/share), writing nothing into the prefix; the
# desktop program answers --help and --version without a display, starts, speaks German under
# a German locale and opens the new-job wizard on documents handed to it; the desktop entry,
# the AppStream file and the manual pages pass their checkers, and the manual page of
# stampwell-cli explains everything its usage text names; the shell completion offers the
# commands, the job names and the options of run.
set -uo pipefail
. "$(dirname "$0")/common.sh" "$@"
prefix=$work/usr
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 \
  || { cat "$work/install.log"; echo "FAIL: cmake --install"; exit 1; }

# --- The files, and only those.
actual=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
components=${STAMPWELL_COMPONENT_DIR:?the install test needs STAMPWELL_COMPONENT_DIR}
if [ "$actual" != "$(expected_files "$id" "$components")" ]; then
  bad "installed files differ from the expected list:"
  diff <(expected_files "$id" "$components") <(echo "$actual")
fi
# The component: its registration names the library beside it, which finds every library it
# needs and exports only its entry point (the libraries linked into it stay its own).
component=$prefix/$components/libstampwell_in_office.so
grep -q 'uri="libstampwell_in_office.so"' "$prefix/$components/stampwell_in_office.components" \
  || bad "the component's registration does not name the library beside it"
# It is loaded into soffice.bin, which has LibreOffice's program folder loaded: it needs no
# search path of its own, and finds everything from there.
readelf -d "$component" | grep -q "R\(UN\)\?PATH" && bad "the component has a library search path"
LD_LIBRARY_PATH=/usr/lib/libreoffice/program ldd "$component" | grep "not found" \
  && bad "the component does not find its libraries beside LibreOffice's"
exported=$(nm -D --defined-only "$component" | awk '$2 == "T" {print $3}')
[ "$exported" = component_getFactory ] || bad "the component exports more than its entry point: $exported"
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
  grep -q "^$name	sw$name.ini	Doc=1 Xls=0 Ppt=0 PDF=1 OtherFiles=1 ModernFormats=0 PdfFiles=0	1 item$" <<<"$out" \
    || bad "list does not show the job $name: $out"
done
out=$(cli history Weekly 2>&1); rc=$?
[ $rc -eq 0 ] && [ "$out" = $'Job Begin\nJob End' ] || bad "history Weekly gave rc $rc: $out"
help=$(cli --help 2>&1)
grep -qF "$jobs/" <<<"$help" || bad "--help does not name the jobs folder $jobs/"

# XDG_DATA_HOME, when set to an absolute path, moves the jobs folder.
xdg=$work/xdg
mkdir -p "$xdg/stampwell"
profile "$xdg/stampwell" Elsewhere
out=$(env XDG_DATA_HOME="$xdg" HOME="$home" "$prefix/bin/stampwell-cli" list 2>&1)
[ "$(echo "$out" | cut -f1)" = Elsewhere ] || bad "list under XDG_DATA_HOME=$xdg: $out"
# A relative one is ignored.
out=$(cd "$work" && env XDG_DATA_HOME=xdg HOME="$home" "$prefix/bin/stampwell-cli" list 2>&1 | cut -f1 | sort | tr '\n' ,)
[ "$out" = "Month end,Weekly," ] || bad "a relative XDG_DATA_HOME was not ignored: $out"

# --- A workbook stamped by the installed program: the office it starts loads the installed
# component (the stamp runs inside the office) and the run stamps every file.
xin=$work/xin
mkdir -p "$xin" "$work/xout"
for i in $(seq 1 20); do
  cp "$(dirname "$0")/../data/corpus/xls/poi__TwoSheetsOneHidden.xls" "$xin/book$i.xls"
done
printf '%s\r\n' "[BasicInfo]" "Name=Books" "Xls=1" "[DocInfo]" "DocWaterMarkStr=Draft" "[0]" \
  "Type=1" "Source=$xin" "Dest=$work/xout" > "$jobs/swBooks.ini"
cli run Books >"$work/books.log" 2>&1 &
books=$!
mapped=no
while kill -0 $books 2>/dev/null; do
  for pid in $(pgrep -f soffice.bin); do
    grep -qF "$prefix/$components/libstampwell_in_office.so" "/proc/$pid/maps" 2>/dev/null && mapped=yes
  done
  [ $mapped = yes ] && break
  sleep 0.05
done
wait $books; rc=$?
[ $rc -eq 0 ] && grep -q "stamped 20, .* failed 0" "$work/books.log" \
  || { cat "$work/books.log"; bad "the installed program did not stamp the workbooks (rc $rc)"; }
[ $mapped = yes ] || bad "no office of the installed program loaded its component"
rm "$jobs/swBooks.ini" "$jobs/swBooks.log"

# --- The desktop program answers --help and --version without any display.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/stampwell" --version 2>&1); rc=$?
[ $rc -eq 0 ] && [ "$out" = "stampwell $version" ] || bad "stampwell --version gave rc $rc: $out"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/stampwell" --help 2>&1); rc=$?
[ $rc -eq 0 ] && grep -q "^Usage: stampwell " <<<"$out" || bad "stampwell --help gave rc $rc: $out"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/stampwell" 2>&1); rc=$?
[ $rc -eq 2 ] && grep -q "needs a graphical display" <<<"$out" \
  || bad "stampwell without a display gave rc $rc: $out"

# --- The desktop program starts from the prefix (offscreen) and keeps running.
env -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen timeout 5 "$prefix/bin/stampwell" \
  >"$work/gui.log" 2>&1
rc=$?
[ $rc -eq 124 ] || { cat "$work/gui.log"; bad "the desktop program ended with $rc instead of running"; }

# --- Under a German locale, on an X display, with documents handed to it: the installed German
# translation titles the new-job wizard, which the program opens on them. The windows are
# read from the X server's window tree.
docs=$work/docs
mkdir -p "$docs/Letters"
printf 'x' > "$docs/report.doc"
printf 'x' > "$docs/notes.txt"
wizard_title() {  # wizard_title <LANG> : the title of the wizard window that the program shows
  local lang=$1 title="" i
  # shellcheck disable=SC2016
  title=$(env -u XDG_DATA_HOME -u LANGUAGE -u LC_ALL -u LC_MESSAGES HOME="$home" LANG="$lang" \
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
      "$0" "$1" "$2" "$3" 2>"$4" &
      pid=$!
      for i in $(seq 1 100); do
        sleep 0.2
        line=$(LC_ALL=C.UTF-8 xwininfo -root -tree 2>/dev/null | grep -E "\"(New Job Wizard|Assistent|Assistant)[^\"]*\"" | head -1)
        [ -n "$line" ] && break
      done
      kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
      echo "$line" | sed -E "s/^[^\"]*\"([^\"]*)\".*/\1/"' \
      "$prefix/bin/stampwell" "$docs/report.doc" "$docs/Letters" "$docs/notes.txt" "$work/open.err")
  echo "$title"
}
title=$(wizard_title de_DE.UTF-8)
[ "$(echo "$title" | sed 's/ *$//')" = "Assistent für neue Aufträge" ] \
  || bad "under LANG=de_DE.UTF-8 the wizard is not open in German: '$title'"
grep -qF "$docs/notes.txt is neither a folder nor a document" "$work/open.err" \
  || bad "a text file handed to stampwell was not refused: $(cat "$work/open.err")"
title=$(wizard_title fr_FR.UTF-8)
[ "$(echo "$title" | sed 's/ *$//')" = "Assistant de nouvelle tâche" ] \
  || bad "under LANG=fr_FR.UTF-8 the wizard is not open in French: '$title'"
title=$(wizard_title C.UTF-8)
[ "$(echo "$title" | sed 's/ *$//')" = "New Job Wizard" ] \
  || bad "under LANG=C.UTF-8 the wizard is not open in English: '$title'"
for lang in de fr; do
  qm=$prefix/share/stampwell/translations/stampwell_$lang.qm
  [ "$(head -c 16 "$qm" | od -An -tx1 | tr -d ' \n')" = 3cb86418caef9c95cd211cbf60a1bddd ] \
    || bad "$qm is not a Qt translation file"
done

[ "$(snapshot)" = "$before" ] || { bad "running the programs changed the prefix:"; diff <(echo "$before") <(snapshot); }

# --- Desktop entry, AppStream file, manual pages.
desktop-file-validate "$prefix/share/applications/$id.desktop" || bad "desktop-file-validate"
grep -qx "Icon=$id" "$prefix/share/applications/$id.desktop" || bad "the desktop entry names another icon"
grep -qx "Exec=stampwell %F" "$prefix/share/applications/$id.desktop" \
  || bad "the desktop entry does not hand its files to stampwell"
mimetypes=$(sed -n 's/^MimeType=//p' "$prefix/share/applications/$id.desktop" | tr ';' '\n')
for type in inode/directory application/msword application/vnd.ms-excel application/vnd.ms-powerpoint \
    application/pdf application/vnd.openxmlformats-officedocument.wordprocessingml.document \
    application/vnd.openxmlformats-officedocument.spreadsheetml.sheet \
    application/vnd.openxmlformats-officedocument.presentationml.presentation; do
  grep -qx "$type" <<<"$mimetypes" || bad "the desktop entry does not open $type"
done
for lang in de fr; do
  for key in Name GenericName Comment; do
    grep -q "^$key\[$lang\]=." "$prefix/share/applications/$id.desktop" \
      || bad "the desktop entry has no $key[$lang]"
  done
done
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || bad "appstreamcli validate"
metainfo=$prefix/share/metainfo/$id.metainfo.xml
grep -q "<release version=\"$version\" date=\"[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]\"" "$metainfo" \
  || bad "the AppStream release list lacks version $version with its date"
grep -q "<project_license>GPL-3.0-or-later</project_license>" "$metainfo" \
  || bad "the AppStream file does not name the licence"
grep -q "<content_rating type=\"oars-1.1\"" "$metainfo" || bad "the AppStream file has no content rating"
for lang in de fr; do
  for tag in name summary; do
    grep -q "<$tag xml:lang=\"$lang\">" "$metainfo" || bad "the AppStream file has no $tag in $lang"
  done
done
grep -n "example\." "$prefix/share/applications/$id.desktop" "$metainfo" && bad "placeholder addresses"
for page in stampwell-cli stampwell; do
  text=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$prefix/share/man/man1/$page.1.gz" 2>"$work/man.err")
  [ ! -s "$work/man.err" ] || { cat "$work/man.err"; bad "man reports problems in $page.1"; }
  grep -q "Stampwell $version" <<<"$text" || bad "$page.1 does not carry version $version"
done
# Wide, so that no word of the list is broken over two lines.
text=$(MANWIDTH=1000 man -E UTF-8 -l "$prefix/share/man/man1/stampwell-cli.1.gz" 2>/dev/null)
for word in list run history --version "EXIT STATUS" SIGNALS XDG_DATA_HOME .local/share/stampwell \
    shard-K.log SIGTERM SIGHUP; do
  grep -qF -- "$word" <<<"$text" || bad "stampwell-cli.1 does not mention $word"
done
# Everything the usage text names (options, environment, exit statuses) is in the page; the
# check itself notices a page without one of them.
usage=$(cli --help 2>&1)
[ -n "$(echo "$usage" | usage_terms)" ] || bad "no options found in the usage text: $usage"
wide=$(MANWIDTH=1000 man -E UTF-8 -l "$prefix/share/man/man1/stampwell-cli.1.gz" 2>/dev/null)
echo "$wide" | man_covers_usage "$usage" || bad "stampwell-cli.1 does not cover its usage text"
echo "$wide" | sed 's/--shard/--sh4rd/g' | man_covers_usage "$usage" >/dev/null \
  && bad "the usage check missed an option left out of the page"
text=$(MANWIDTH=1000 man -E UTF-8 -l "$prefix/share/man/man1/stampwell.1.gz" 2>/dev/null)
for word in --help --version "Open With" -stamped LANG; do
  grep -qF -- "$word" <<<"$text" || bad "stampwell.1 does not mention $word"
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
# After "run NAME": the options of run, as the usage text lists them.
run_options=$(echo "$usage" | sed -n 's/^    \(--[a-z][a-z-]*\).*/\1/p' | LC_ALL=C sort | tr '\n' ,)
[ "$run_options" != "" ] && [ "$(complete_words stampwell-cli run Weekly "")" = "$run_options" ] \
  || bad "run Weekly: $(complete_words stampwell-cli run Weekly "") instead of $run_options"
[ "$(complete_words stampwell-cli run Weekly --w)" = "--workers," ] \
  || bad "run Weekly --w: $(complete_words stampwell-cli run Weekly --w)"
[ "$(complete_words stampwell-cli run Weekly --shard "")" = "auto/," ] \
  || bad "run Weekly --shard: $(complete_words stampwell-cli run Weekly --shard "")"
env -u XDG_DATA_HOME HOME="$home" PATH="$prefix/bin:$PATH" bash -c \
  '. "$0"; complete -p stampwell-cli' "$prefix/share/bash-completion/completions/stampwell-cli" \
  | grep -q "_stampwell_cli" || bad "the completion is not registered for stampwell-cli"

[ $fail -eq 0 ] && echo "install test passed"
exit $fail
