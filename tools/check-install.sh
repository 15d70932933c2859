#!/usr/bin/env bash
# Installs the build in BUILD_DIR (default build/) into a temporary DESTDIR with
# prefix /usr, as the Debian package does, and checks that it holds exactly the
# files listed in dist/install-manifest.txt and that they fit together.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
id=org.tavrix.tavrix
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

DESTDIR=$stage cmake --install "$build" --prefix /usr > /dev/null
root=$stage/usr
fail() {
    echo "install check: $*"
    exit 1
}

if ! diff -u <(sed 's|^|usr/|' dist/install-manifest.txt) \
    <(cd "$stage" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort); then
    fail "the installed files differ from dist/install-manifest.txt (- expected, + installed)"
fi

[ -x "$root/bin/tavrix" ] || fail "bin/tavrix is not executable"
missing=$(ldd "$root/bin/tavrix" | grep 'not found' || true)
[ -z "$missing" ] || fail "bin/tavrix needs libraries that are not there: $missing"
if readelf -d "$root/bin/tavrix" | grep -E 'RPATH|RUNPATH'; then
    fail "bin/tavrix carries a library search path"
fi

for png in "$root"/share/icons/hicolor/*x*/apps/"$id".png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    file -b "$png" | grep -q "^PNG image data, ${size/x/ x }," \
        || fail "${png#"$root"/} is not a $size PNG: $(file -b "$png")"
done

# The desktop names the three files by the application id; one stray name and the
# software centre, the menu or the dock loses the icon or the entry.
desktop=$root/share/applications/$id.desktop
metainfo=$root/share/metainfo/$id.metainfo.xml
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry's Icon is not $id"
grep -qx "Exec=tavrix %F" "$desktop" || fail "the desktop entry does not start bin/tavrix with the files it is given"
grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo's id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" \
    || fail "the metainfo does not launch $id.desktop"
grep -q "<icon type=\"stock\">$id</icon>" "$metainfo" || fail "the metainfo's icon is not $id"
grep -q "<binary>tavrix</binary>" "$metainfo" || fail "the metainfo does not provide bin/tavrix"
# The copyright file in Debian's machine-readable format, under the licence the
# metainfo names, with the licence text of LICENSE.
copyright=$root/share/doc/tavrix/copyright
head -n 1 "$copyright" | grep -qx "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" \
    || fail "share/doc/tavrix/copyright is not in Debian's machine-readable format"
license=$(sed -n 's|.*<project_license>\(.*\)</project_license>.*|\1|p' "$metainfo")
grep -qx "License: $license" "$copyright" || fail "the copyright file does not name the metainfo's licence $license"
grep -qx "Copyright: .*The Tavrix developers" "$copyright" || fail "the copyright file names no holder"
# Its licence paragraph is LICENSE's text from "Permission" on, indented, "." for blank lines.
diff -u <(sed -n '/^Permission/,$p' LICENSE | sed 's/^$/./; s/^/ /') \
    <(sed -n '/^License: MIT$/,$p' "$copyright" | tail -n +2 | sed -n '/^ Permission/,$p') \
    || fail "the copyright file's licence text differs from LICENSE"
echo "install check: $(wc -l < dist/install-manifest.txt) files as expected"
