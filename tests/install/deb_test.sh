#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package the way a distribution does and checks it:
#   deb_test.sh <build folder> <version> <app id> <source folder>
# dpkg-buildpackage -us -uc -b on a copy of the sources (in <build folder>/deb, the same
# folder each time so that ccache finds its earlier compilations); lintian finds no error and
# no warning; the package's name, version, dependencies (LibreOffice 25.2 or newer, Qt 6 and
# its platform plugins, the UNO libraries); exactly the installed files under /usr plus the
# copyright file (machine-readable, GPL-3.0-or-later) and the changelog; programs built with
# the distribution's hardening, stripped, their debug symbols in stampwell-dbgsym, finding
# the UNO libraries through their one search path (LibreOffice's program folder, the override
# lintian is given says why); no maintainer scripts.
set -uo pipefail
. "$(dirname "$0")/common.sh" "$@"
source_dir=$4
out=$build/deb
rm -rf "$out"
mkdir -p "$out/src"
# The sources as the repository has them (and any new file not yet committed), no build output.
if git -C "$source_dir" rev-parse --git-dir >/dev/null 2>&1; then
  (cd "$source_dir" && git ls-files -co --exclude-standard -z | grep -zv '^build/' \
    | tar --null -cf - -T -) | tar -xf - -C "$out/src"
else
  tar -C "$source_dir" --exclude=./build -cf - . | tar -xf - -C "$out/src"
fi
launcher=()
command -v ccache >/dev/null && launcher=(CMAKE_CXX_COMPILER_LAUNCHER=ccache)
# As many compilations at once as the machine has processors (debhelper builds with one
# otherwise), unless the caller chose a number in DEB_BUILD_OPTIONS.
build_options=${DEB_BUILD_OPTIONS:-}
[[ " $build_options " == *" parallel="* ]] || build_options="${build_options:+$build_options }parallel=$(nproc)"
echo "DEB_BUILD_OPTIONS=$build_options"
start=$(date +%s)
(cd "$out/src" && env "${launcher[@]}" DEB_BUILD_OPTIONS="$build_options" dpkg-buildpackage -us -uc -b) >"$out/build.log" 2>&1 \
  || { tail -50 "$out/build.log"; echo "FAIL: dpkg-buildpackage"; exit 1; }
echo "dpkg-buildpackage took $(($(date +%s) - start)) s"

arch=$(dpkg --print-architecture)
deb=$out/stampwell_${version}_${arch}.deb
dbgsym=$out/stampwell-dbgsym_${version}_${arch}.deb
[ -f "$deb" ] || { ls -l "$out"; echo "FAIL: no $deb"; exit 1; }
[ -f "$dbgsym" ] || bad "no debug symbols package $dbgsym"

# --- lintian: no error, no warning (remaining tags carry an override with its reason).
lintian --fail-on error,warning --display-info "$deb" >"$out/lintian.txt" 2>&1 \
  || { cat "$out/lintian.txt"; bad "lintian reports errors or warnings"; }
echo "lintian: $(grep -c '^[EWIP]:' "$out/lintian.txt") tags (information only):"
grep '^[EWIP]:' "$out/lintian.txt"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = stampwell ] || bad "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || bad "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || bad "Architecture: $(field Architecture)"
field Maintainer | grep -q "example\.com" && bad "placeholder Maintainer: $(field Maintainer)"
[ -n "$(field Description)" ] || bad "no Description"

# Depends, one relation a line, each compared whole (no alternatives are expected).
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ *$//')
echo "Depends: $(field Depends)"
has_dep() {  # has_dep <regular expression for a whole relation>
  grep -Eqx "$1" <<<"$depends" || bad "Depends lacks $1"
}
for app in writer calc impress; do has_dep "libreoffice-$app \(>= 4:25\.2\)"; done
has_dep "qt6-qpa-plugins"
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc\\+\\+6 libuno-cppu3 libuno-sal3 \
    libuno-cppuhelpergcc3-3; do
  has_dep "$lib( \(>= [^)]+\))?"
done
grep -q "libgtest\|libbenchmark\|-dev" <<<"$depends" && bad "Depends names test or build packages"

# --- The files: the install list under /usr, with the documentation, nothing elsewhere.
listing=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ {print $6}' <<<"$listing" | sed 's|^\./usr/||' | LC_ALL=C sort)
expected=$({ expected_files "$id" "lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/stampwell"
  printf '%s\n' share/doc/stampwell/README.md.gz share/doc/stampwell/changelog.gz \
    share/doc/stampwell/copyright share/lintian/overrides/stampwell; } | LC_ALL=C sort)
if [ "$files" != "$expected" ]; then
  bad "packaged files differ from the expected list:"
  diff <(echo "$expected") <(echo "$files")
fi
awk '{print $6}' <<<"$listing" | grep -v '^\./$' | grep -v '^\./usr/' \
  && bad "the package puts files outside /usr"
awk '$1 !~ /^d/ && $2 != "root/root" {print}' <<<"$listing" | grep . && bad "files not owned by root"

dpkg-deb -e "$deb" "$work/control"
for script in preinst postinst prerm postrm; do
  [ -e "$work/control/$script" ] && bad "unexpected maintainer script $script"
done
[ -s "$work/control/md5sums" ] || bad "no md5sums"

dpkg-deb -x "$deb" "$work/root"
doc=$work/root/usr/share/doc/stampwell
head -1 "$doc/copyright" | grep -qx "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" \
  || bad "the copyright file is not machine-readable"
grep -qx "License: GPL-3.0-or-later" "$doc/copyright" || bad "the copyright file does not name GPL-3.0-or-later"
zcat "$doc/changelog.gz" | head -1 | grep -q "^stampwell ($version)" || bad "the changelog lacks $version"

# --- The programs: hardened, stripped, their symbols in the -dbgsym package, every library found.
dpkg-deb -x "$dbgsym" "$work/dbg"
for prog in stampwell stampwell-cli; do
  exe=$work/root/usr/bin/$prog
  dyn=$(readelf -d "$exe")
  runpath=$(sed -n 's/.*R\(UN\)\?PATH.*\[\(.*\)\]/\2/p' <<<"$dyn")
  [ "$runpath" = /usr/lib/libreoffice/program ] || bad "$prog searches libraries in '$runpath'"
  grep -q "BIND_NOW\|FLAGS.*NOW" <<<"$dyn" || bad "$prog is not linked with -z now"
  readelf -h "$exe" | grep -q "Type:.*DYN" || bad "$prog is not position-independent"
  readelf -lW "$exe" | grep -q GNU_RELRO || bad "$prog has no RELRO segment"
  symbols=$(readelf --dyn-syms -W "$exe")
  grep -q "__stack_chk_fail" <<<"$symbols" || bad "$prog is built without the stack protector"
  grep -qE "__[a-z]+_chk@" <<<"$symbols" || bad "$prog is built without _FORTIFY_SOURCE"
  file -b "$exe" | grep -q ", stripped" || bad "$prog is not stripped"
  id_=$(readelf -n "$exe" | sed -n 's/.*Build ID: \([0-9a-f]*\)/\1/p')
  [ -f "$work/dbg/usr/lib/debug/.build-id/${id_:0:2}/${id_:2}.debug" ] \
    || bad "the debug symbols of $prog ($id_) are not in stampwell-dbgsym"
  ldd "$exe" | grep "not found" && bad "$prog does not find its libraries"
  strings "$exe" | grep -qF "$out/src" && bad "$prog holds the build folder's path"
done
out_v=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$work/root/usr/bin/stampwell" --version 2>&1)
[ "$out_v" = "stampwell $version" ] || bad "the packaged stampwell --version: $out_v"

[ $fail -eq 0 ] && echo "package test passed: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"
exit $fail
