# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the install tests, sourced with their arguments <build folder> <version> <app id>:
# a scratch folder $work removed at exit, failure bookkeeping, the files an install must hold.
build=$1
version=$2
id=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail=0
bad() { echo "FAIL: $*"; fail=1; }

# The icon sizes the build paints.
icon_sizes=(16 22 24 32 48 64 128 256 512)

# The options and environment variables the usage text of stampwell-cli names (from its
# --help on standard input), one a line: each must be explained in the manual page.
usage_terms() {
  grep -oE -- '--[a-z][a-z-]+|\b[A-Z][A-Z0-9]*_[A-Z0-9_]+\b' | LC_ALL=C sort -u
}

# Whether the manual page (rendered text on standard input) explains every term of the usage
# text given as $1; prints each missing one and fails when any is.
man_covers_usage() {  # man_covers_usage <usage text>
  local page missing=0 term
  page=$(cat)
  while read -r term; do
    grep -qF -- "$term" <<<"$page" || { echo "the manual page lacks $term"; missing=1; }
  done < <(printf '%s\n' "$1" | usage_terms)
  # The exit statuses the usage text names are items of EXIT STATUS.
  local statuses
  statuses=$(printf '%s\n' "$1" | sed -n '/^Exit status/,$p' | grep -oE '\b[0-9]+\b' | sort -u)
  local section
  section=$(printf '%s\n' "$page" | sed -n '/^EXIT STATUS/,/^[A-Z]/p')
  for status in $statuses; do
    grep -qE "^ +$status\b" <<<"$section" || { echo "EXIT STATUS lacks $status"; missing=1; }
  done
  return $missing
}

# Every file an install puts under its prefix, relative to it, sorted; the component the office
# loads sits in <component dir> (lib/stampwell, or the distribution's library folder).
expected_files() {  # expected_files <app id> <component dir>
  local id=$1 components=$2
  {
    echo bin/stampwell
    echo bin/stampwell-cli
    echo "$components/libstampwell_in_office.so"
    echo "$components/stampwell_in_office.components"
    echo share/applications/$id.desktop
    echo share/bash-completion/completions/stampwell-cli
    for s in "${icon_sizes[@]}"; do echo share/icons/hicolor/${s}x${s}/apps/$id.png; done
    echo share/man/man1/stampwell-cli.1.gz
    echo share/man/man1/stampwell.1.gz
    echo share/metainfo/$id.metainfo.xml
    echo share/stampwell/Sample.doc
    echo share/stampwell/help.mht
    for lang in de fr; do echo share/stampwell/help_$lang.mht; done
    for lang in de fr; do echo share/stampwell/translations/stampwell_$lang.qm; done
  } | LC_ALL=C sort
}
