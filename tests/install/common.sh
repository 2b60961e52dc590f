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

# Every file an install puts under its prefix, relative to it, sorted.
expected_files() {  # expected_files <app id>
  local id=$1
  {
    echo bin/stampwell
    echo bin/stampwell-cli
    echo share/applications/$id.desktop
    echo share/bash-completion/completions/stampwell-cli
    for s in "${icon_sizes[@]}"; do echo share/icons/hicolor/${s}x${s}/apps/$id.png; done
    echo share/man/man1/stampwell-cli.1.gz
    echo share/man/man1/stampwell.1.gz
    echo share/metainfo/$id.metainfo.xml
    echo share/stampwell/Sample.doc
    echo share/stampwell/help.mht
  } | LC_ALL=C sort
}
