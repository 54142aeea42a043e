#!/bin/sh
# Usage: check_package.sh PACKAGE.deb
# Checks the Debian package as apt would install it: exactly the files of package-files.txt
# beside this script, each PNG icon at the size its folder names, dependencies computed for
# the programs, and a packaged vellicor-cli that runs, rolls and reports the package's version.
set -eu
export LC_ALL=C
package=$1
here=$(cd "$(dirname "$0")" && pwd)
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
fail() {
    echo "check_package: $*" >&2
    exit 1
}

dpkg-deb --contents "$package" | awk '$1 !~ /^d/ { print $6 }' | sort >"$unpacked/files"
sort "$here/package-files.txt" | diff -u - "$unpacked/files" ||
    fail "the package's files differ from package-files.txt (- expected, + packaged)"

dpkg-deb --extract "$package" "$unpacked/root"
for icon in "$unpacked"/root/usr/share/icons/hicolor/*x*/apps/*.png; do
    size=$(basename "$(dirname "$(dirname "$icon")")")
    file "$icon" | grep -q ", ${size%x*} x ${size#*x}," || fail "$icon is not $size"
done

version=$(dpkg-deb --field "$package" Version)
dpkg-deb --field "$package" Depends | grep -q 'libqt6widgets6' ||
    fail "no dependency on Qt Widgets: was dpkg-shlibdeps run?"
cli=$unpacked/root/usr/games/vellicor-cli
[ "$("$cli" --version)" = "vellicor-cli $version" ] || fail "--version does not say $version"
"$cli" --seed 1 --count 2 --format json | grep -q '"race":2' || fail "vellicor-cli rolled no races"
echo "check_package: $package is complete"
