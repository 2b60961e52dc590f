#!/usr/bin/env bash
# Builds the Debian package from the existing build with CPack and checks it with dpkg-deb:
#   deb_test.sh <build folder> <version> <app id>
# its name, version and architecture; its dependencies (LibreOffice 25.2 or newer, Qt 6 and
# its platform plugins, the UNO libraries); exactly the installed files under /usr; stripped
# programs that find LibreOffice's libraries; no maintainer scripts that could leave traces.
set -uo pipefail
. "$(dirname "$0")/common.sh" "$@"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; echo "FAIL: cpack -G DEB"; exit 1; }
arch=$(dpkg --print-architecture)
deb=$work/out/stampwell_${version}-1_${arch}.deb
[ -f "$deb" ] || { ls -l "$work/out"; echo "FAIL: no $deb"; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = stampwell ] || bad "Package: $(field Package)"
[ "$(field Version)" = "$version-1" ] || bad "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || bad "Architecture: $(field Architecture)"
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] || bad "Maintainer or Description missing"

# Depends, one relation a line, each compared whole (no alternatives are expected).
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ *$//')
echo "Depends: $(field Depends)"
has_dep() {  # has_dep <regular expression for a whole relation>
  echo "$depends" | grep -Eqx "$1" || bad "Depends lacks $1"
}
for app in writer calc impress; do has_dep "libreoffice-$app \(>= 4:25\.2\)"; done
has_dep "qt6-qpa-plugins"
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc\\+\\+6 libuno-cppu3 libuno-sal3 \
    libuno-cppuhelpergcc3-3; do
  has_dep "$lib( \(>= [^)]+\))?"
done
echo "$depends" | grep -q "libgtest\|libbenchmark\|-dev" && bad "Depends names test or build packages"

# The files: the install list under /usr, nothing elsewhere.
listing=$(dpkg-deb -c "$deb")
files=$(echo "$listing" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | LC_ALL=C sort)
if [ "$files" != "$(expected_files "$id")" ]; then
  bad "packaged files differ from the expected list:"
  diff <(expected_files "$id") <(echo "$files")
fi
echo "$listing" | awk '{print $6}' | grep -v '^\./$' | grep -v '^\./usr/' \
  && bad "the package puts files outside /usr"
echo "$listing" | awk '$1 !~ /^d/ && $2 != "root/root" {print}' | grep . \
  && bad "files not owned by root"

# No maintainer scripts: removal leaves nothing behind but what users made themselves.
dpkg-deb -e "$deb" "$work/control"
for script in preinst postinst prerm postrm; do
  [ -e "$work/control/$script" ] && bad "unexpected maintainer script $script"
done
[ -s "$work/control/md5sums" ] || bad "no md5sums"

# The programs: stripped, finding LibreOffice's UNO libraries, no build-folder paths.
dpkg-deb -x "$deb" "$work/root"
for prog in stampwell stampwell-cli; do
  exe=$work/root/usr/bin/$prog
  file -b "$exe" | grep -q ", stripped" || bad "$prog is not stripped"
  runpath=$(readelf -d "$exe" | sed -n 's/.*R\(UN\)\?PATH.*\[\(.*\)\]/\2/p')
  [ "$runpath" = /usr/lib/libreoffice/program ] || bad "$prog searches libraries in '$runpath'"
  strings "$exe" | grep -qF "$build" && bad "$prog holds the build folder's path"
done

[ $fail -eq 0 ] && echo "package test passed: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"
exit $fail
