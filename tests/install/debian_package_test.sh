#!/usr/bin/env bash
# The Debian package: cpack -G DEB makes tavi_<version>_<arch>.deb from the
# build, lintian finds neither an error nor a warning (the tags kept on
# purpose are overridden in the package, each with its reason, and named in
# the README), its metadata and documents are there, and unpacked into a
# scratch root with dpkg-deb -x it runs from there (check_installed.sh).
#
#   debian_package_test.sh BUILD_DIR WORK
#
# The environment is check_installed.sh's, plus CPACK (the cpack program)
# and PYTHON_DEBIAN_DIR (where the package puts the Python package).
set -euo pipefail
build=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$(dirname "$0")/../support/result_lines.sh"

if ! command -v dpkg-deb >/dev/null; then
  skip "no dpkg-deb, so no Debian package can be made or unpacked here"
  exit 77
fi
for tool in dpkg-shlibdeps lintian; do
  command -v "$tool" >/dev/null || die "no $tool (Debian packages dpkg-dev, lintian): scripts/setup.sh installs it"
done

rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
"$CPACK" -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; die "cpack -G DEB"; }
deb="$work/package/tavi_${TAVI_VERSION}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work/package"; die "cpack made no $deb"; }
pass "cpack -G DEB made $(basename "$deb")"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = tavi ] && [ "$(field Version)" = "$TAVI_VERSION" ] ||
  die "the package says it is $(field Package) $(field Version)"
# dpkg-shlibdeps' work: the libraries the binaries link, with versions.
for library in 'libc6' 'libstdc\+\+6' 'libopenimageio[0-9.]*'; do
  grep -qE "(^|, )$library \(>= " <<<"$(field Depends)" || die "Depends lacks $library: $(field Depends)"
done
[ "$(field Description | wc -l)" -gt 3 ] || die "the description is one line: $(field Description)"
pass "Depends: $(field Depends)"

lintian_out=$(lintian --tag-display-limit 0 --fail-on error,warning "$deb" 2>&1) ||
  { echo "$lintian_out"; die "lintian finds errors or warnings in $(basename "$deb")"; }
kept=$(grep -vE '^(#|$)' "$SOURCE_DIR/packaging/debian/lintian-overrides" | awk '{ print $1 }' | sort -u)
for tag in $kept; do
  grep -q "$tag" "$SOURCE_DIR/docs/installing.md" || die "docs/installing.md does not name the lintian tag $tag kept on purpose"
done
pass "lintian: no error, no warning; kept on purpose and in docs/installing.md: $(echo $kept)"

dpkg-deb -x "$deb" "$work/root"
cmp -s "$work/root/usr/share/doc/tavi/copyright" "$SOURCE_DIR/packaging/debian/copyright" ||
  die "the package's /usr/share/doc/tavi/copyright is not packaging/debian/copyright"
grep -q "^License: Apache-2.0$" "$work/root/usr/share/doc/tavi/copyright" || die "the copyright file names no licence"
head -1 <(gzip -dc "$work/root/usr/share/doc/tavi/changelog.gz") | grep -q "^tavi ($TAVI_VERSION) " ||
  die "the changelog's latest entry is not for $TAVI_VERSION: add one to packaging/debian/changelog"
[ -f "$work/root/usr/share/man/man1/tavi.1.gz" ] || die "the package has no manual page"
pass "/usr/share/doc/tavi/copyright (Apache-2.0), changelog.gz for $TAVI_VERSION, the manual page"

PYTHON_DIR=$PYTHON_DEBIAN_DIR "$here/check_installed.sh" "$work/root/usr" "$work/check"
